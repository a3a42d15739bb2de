# The four windows: layout tables, the widgets built from them, the image list, and the Qt-free
# window facades. Included by CMakeLists.txt in this folder.
target_sources(torvane_ui PRIVATE
  forms/form_builder.cpp
  forms/image_painter.cpp
  forms/main_form.cpp
  forms/sql_form.cpp
  forms/designer_form.cpp
  forms/insert_form.cpp
  forms/form_controls.cpp
  main_window.cpp
  sql_dialog.cpp
  designer_dialog.cpp
  insert_dialog.cpp
)


# Shows one window by name; scripts/screenshots.sh photographs it.
add_executable(ui_preview forms/preview.cpp)
set_target_properties(ui_preview PROPERTIES AUTOMOC ON)
target_link_libraries(ui_preview PRIVATE torvane_ui Qt6::Widgets)
