# The control contract, the modal services, the picture decoder and the runtime.
target_sources(torvane_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/controls.h
  ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/grid_model.h
  ${CMAKE_CURRENT_LIST_DIR}/grid_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_list_qt.h
  ${CMAKE_CURRENT_LIST_DIR}/modal_services.h
  ${CMAKE_CURRENT_LIST_DIR}/modal_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pcx.h
  ${CMAKE_CURRENT_LIST_DIR}/pcx.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_format.h
  ${CMAKE_CURRENT_LIST_DIR}/picture_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_modal_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_support.h
  ${CMAKE_CURRENT_LIST_DIR}/runtime.h
  ${CMAKE_CURRENT_LIST_DIR}/runtime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tree_view.cpp
)
