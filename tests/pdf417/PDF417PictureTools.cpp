// The picture helpers of the QR Code tests (turning, side by side, JPEG round
// trips) serve the PDF417 reader tests as they are; they are compiled here a
// second time because every test folder is a program of its own.
#include "qrcode/QRPictureTools.cpp"
