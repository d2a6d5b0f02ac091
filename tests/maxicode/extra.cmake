# The reader tests run the real orvel-scan.
target_compile_definitions(orvel_tests_${name} PRIVATE ORVEL_SCAN_PATH="$<TARGET_FILE:orvel-scan>")
add_dependencies(orvel_tests_${name} orvel-scan)
