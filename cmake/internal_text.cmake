# Internal text in literals. The Qt-free layers keep their text in GB18030, and every narrow literal
# in their sources must be compiled to GB18030 bytes, so that "中文" in source is internal text.
#
# GCC does this itself (-fexec-charset=GB18030). A compiler that cannot (clang, which the fuzzers
# need) compiles copies of the sources instead, written into the build folder by
# tools/internal_literals, in which every such literal already spells its GB18030 bytes as escapes:
# the same bytes GCC would compile (tests/tools checks this). The headers those sources include are
# copied the same way, and the copies' folders come first on the include path.
#
# torvane_internal_text(target) marks a target as internal text; call it once the target has all
# its sources.

set(TORVANE_INTERNAL_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=GB18030)

include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fexec-charset=GB18030 TORVANE_COMPILER_WRITES_GB18030)

set(TORVANE_LITERAL_COPIES ${CMAKE_BINARY_DIR}/literal_copies)

# Every header of the project's own, copied once for all the targets that include them.
function(torvane_internal_text_headers)
  if(TORVANE_COMPILER_WRITES_GB18030)
    return()
  endif()
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/tests/*.h ${PROJECT_SOURCE_DIR}/bench/*.h
    ${PROJECT_SOURCE_DIR}/tools/*.h ${PROJECT_SOURCE_DIR}/fuzz/*.h)
  set(copies "")
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
    set(copy ${TORVANE_LITERAL_COPIES}/headers/${relative})
    add_custom_command(OUTPUT ${copy}
      COMMAND internal_literals ${header} ${copy}
      DEPENDS internal_literals ${header}
      VERBATIM)
    list(APPEND copies ${copy})
  endforeach()
  add_custom_target(internal_text_headers DEPENDS ${copies})
endfunction()

function(torvane_internal_text target)
  if(TORVANE_COMPILER_WRITES_GB18030)
    target_compile_options(${target} PRIVATE ${TORVANE_INTERNAL_CHARSET_FLAGS})
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(copied_sources "")
  # A header included by a name without a folder is looked for beside the source first; the
  # copies of those folders stand in for that.
  set(source_folders "")
  foreach(source IN LISTS sources)
    get_filename_component(absolute ${source} ABSOLUTE BASE_DIR ${source_dir})
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${absolute})
    if(NOT absolute MATCHES "\\.(cpp|cc)$" OR relative MATCHES "^\\.\\./")
      list(APPEND copied_sources ${source})
      continue()
    endif()
    # One copy a target: a source compiled into several targets gets a copy in each.
    set(copy ${TORVANE_LITERAL_COPIES}/${target}/${relative})
    add_custom_command(OUTPUT ${copy}
      COMMAND internal_literals ${absolute} ${copy}
      DEPENDS internal_literals ${absolute}
      COMMENT "Writing the literals of ${relative} as internal text"
      VERBATIM)
    list(APPEND copied_sources ${copy})
    get_filename_component(folder ${relative} DIRECTORY)
    list(APPEND source_folders ${TORVANE_LITERAL_COPIES}/headers/${folder})
  endforeach()
  list(REMOVE_DUPLICATES source_folders)
  set_property(TARGET ${target} PROPERTY SOURCES ${copied_sources})
  target_include_directories(${target} BEFORE PRIVATE
    ${TORVANE_LITERAL_COPIES}/headers/src ${TORVANE_LITERAL_COPIES}/headers/tests ${source_folders})
  add_dependencies(${target} internal_text_headers)
endfunction()
