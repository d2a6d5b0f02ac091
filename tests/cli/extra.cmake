# The command-line tests run the real orvel-scan and check its JSON writer.
target_link_libraries(orvel_tests_${name} PRIVATE orvel_cli)
target_compile_definitions(orvel_tests_${name} PRIVATE ORVEL_SCAN_PATH="$<TARGET_FILE:orvel-scan>")
add_dependencies(orvel_tests_${name} orvel-scan)
