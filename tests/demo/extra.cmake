# The demo tests drive the real windows headless; without Qt they are skipped.
if(TARGET Qt6::Widgets AND TARGET Qt6::Test AND TARGET orvel_demo_ui)
  target_link_libraries(orvel_tests_${name} PRIVATE orvel_demo_ui Qt6::Widgets Qt6::Test)
  target_compile_definitions(orvel_tests_${name} PRIVATE ORVEL_HAVE_QT=1)
endif()
