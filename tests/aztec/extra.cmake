# The reader tests turn and compress pictures with the QR tests' picture tools,
# and run the real orvel-scan.
target_sources(orvel_tests_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/qrcode/QRPictureTools.cpp)
target_compile_definitions(orvel_tests_${name} PRIVATE ORVEL_SCAN_PATH="$<TARGET_FILE:orvel-scan>")
add_dependencies(orvel_tests_${name} orvel-scan)
