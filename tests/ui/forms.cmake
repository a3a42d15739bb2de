# Tests of the four windows and their facades. Included by CMakeLists.txt in this folder.
torvane_qt_test(ui_forms_tests
  forms/controls_test.cpp
  forms/windows_test.cpp
  forms/window_size_test.cpp
  forms/accessibility_test.cpp
  forms/keyboard_test.cpp
)
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(ui_forms_tests PRIVATE Qt6::Test)
