# Tests of the control contract, the modal services, the picture decoder and the runtime, on real
# widgets. Included by CMakeLists.txt in this folder.
find_package(Qt6 REQUIRED COMPONENTS Test)
torvane_qt_test(ui_contract_tests
  contract/controls_test.cpp
  contract/edit_box_test.cpp
  contract/grid_test.cpp
  contract/modal_services_test.cpp
  contract/pcx_test.cpp
  contract/picture_box_test.cpp
  contract/runtime_test.cpp
  contract/text_round_trip_test.cpp
  contract/tree_view_test.cpp
)
# The grid shows the rows of real databases.
target_link_libraries(ui_contract_tests PRIVATE Qt6::Test torvane_db)
