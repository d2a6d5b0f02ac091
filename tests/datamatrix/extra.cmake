# The reader tests reuse the picture helpers of the QR Code tests (turns,
# JPEG round trips, pictures side by side).
target_sources(orvel_tests_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/qrcode/QRPictureTools.cpp)
