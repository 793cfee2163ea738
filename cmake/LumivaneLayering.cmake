# The layering test: every source may include only headers of libraries its target links, directly or
# through them. At configure time this writes each target's folder, sources and links to a file that
# scripts/check_layering.py reads; include() it last, once every target exists.

function(lumivane_collect_targets dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  set(lines "")
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(source_dir ${t} SOURCE_DIR)
    get_target_property(sources ${t} SOURCES)
    get_target_property(links ${t} LINK_LIBRARIES)
    get_target_property(interface_links ${t} INTERFACE_LINK_LIBRARIES)
    foreach(v sources links interface_links)
      if(NOT ${v})
        set(${v} "")
      endif()
      string(REPLACE "|" "" ${v} "${${v}}")
    endforeach()
    string(APPEND lines "${t}|${type}|${source_dir}|${sources}|${links}|${interface_links}\n")
  endforeach()
  foreach(d IN LISTS subdirs)
    lumivane_collect_targets("${d}" sub)
    string(APPEND lines "${sub}")
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

lumivane_collect_targets("${PROJECT_SOURCE_DIR}" lumivane_target_lines)
file(WRITE "${PROJECT_BINARY_DIR}/layering_targets.txt" "${lumivane_target_lines}")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layering
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check_layering.py
          --source-root ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/layering_targets.txt)
add_test(NAME layering_checker
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/check_layering_test.py)
