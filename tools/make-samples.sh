#!/bin/sh
# Renders the sample pictures of samples/ with zint: one folder per scan
# button of the demo, each with bitmaps and JPEG pictures of its family.
# zint writes no JPEG, so the JPEG samples are zint bitmaps converted by our
# helper orvel-bmp2jpg. Run again to renew the samples after a change here.
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD_DIR:-build-release}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DORVEL_BUILD_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j 2 --target orvel-bmp2jpg > /dev/null
BMP2JPG="$BUILD/cli/orvel-bmp2jpg"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# bitmap FOLDER NAME ZINT-ARGUMENTS...: samples/FOLDER/NAME.bmp
bitmap() {
  folder=$1 name=$2
  shift 2
  mkdir -p "samples/$folder"
  zint "$@" --quietzones -o "samples/$folder/$name.bmp" > /dev/null
}

# jpeg FOLDER NAME ZINT-ARGUMENTS...: samples/FOLDER/NAME.jpg
jpeg() {
  folder=$1 name=$2
  shift 2
  mkdir -p "samples/$folder"
  zint "$@" --quietzones -o "$WORK/$name.bmp" > /dev/null
  "$BMP2JPG" "$WORK/$name.bmp" "samples/$folder/$name.jpg" 85
}

rm -rf samples/images samples/PDF417Images samples/DatamatrixImages samples/QRCodeImages samples/AztecImages

bitmap images code128 -b CODE128 --scale 2 --height 40 -d "Orvel-128"
jpeg images ean13 -b EANX --scale 2 --height 40 -d "590123412345"
bitmap images code39 -b CODE39 --scale 2 --height 40 -d "VEK39"
bitmap images ean8 -b EANX --scale 2 --height 40 -d "9638507"
jpeg images upce -b UPCE --scale 2 --height 40 -d "0123456"
bitmap images interleaved25 -b C25INTER --scale 2 --height 40 -d "12345678"
jpeg images codabar -b CODABAR --scale 2 --height 40 -d "A40156B"

bitmap PDF417Images pdf417 -b PDF417 --scale 2 -d "VekBarcode Orvel PDF417 sample"
jpeg PDF417Images pdf417-numbers -b PDF417 --scale 2 -d "0123456789012345678901234567890123456789"

bitmap DatamatrixImages datamatrix -b DATAMATRIX --square --scale 3 -d "VekBarcode Orvel"
jpeg DatamatrixImages datamatrix-numbers -b DATAMATRIX --square --scale 3 -d "1234567890"

bitmap QRCodeImages qrcode -b QRCODE --scale 2 -d "https://orvel.vekbarcode.example"
jpeg QRCodeImages qrcode-text -b QRCODE --scale 2 -d "VekBarcode Orvel QR sample 2026"

bitmap AztecImages aztec -b AZTEC --scale 2 -d "VekBarcode Orvel"
jpeg AztecImages aztec-numbers -b AZTEC --scale 2 -d "0123456789"

ls -l samples/*/
