# lumivane_add_test(NAME name SOURCES ... LIBS ... [WIDGETS])
# One GoogleTest binary per library. WIDGETS tests run on Qt's offscreen platform with their own main.
function(lumivane_add_test)
  cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_WIDGETS)
    target_link_libraries(${T_NAME} PRIVATE lumivane_qt_test_main Qt6::Test)
    set(env "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  else()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    set(env "")
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${env}")
endfunction()
