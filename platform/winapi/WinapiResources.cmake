# winapi_add_resources(<target> <type> <name> <file> [<type> <name> <file> ...])
#
# Embeds files into a program as resources that FindResourceW finds: type
# and name are strings ("ZIPRES", "xml", "PNG") or numbers (100; RT_GROUP_ICON
# is 14). Example: winapi_add_resources(updater ZIPRES 100 skin.zip 14 107 app.png)
# A C++ table is generated at build time and compiled into the target.
set(WINAPI_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/WinapiEmbed.cmake CACHE INTERNAL "")

function(winapi_add_resources target)
  set(args ${ARGN})
  list(LENGTH args n)
  math(EXPR rem "${n} % 3")
  if(NOT rem EQUAL 0 OR n EQUAL 0)
    message(FATAL_ERROR "winapi_add_resources: expected <type> <name> <file> triples")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_winapi_resources.cpp)
  set(entries "")
  set(files "")
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET args ${i} type)
    list(GET args ${j} name)
    list(GET args ${k} file)
    get_filename_component(file ${file} ABSOLUTE)
    list(APPEND entries "${type}|${name}|${file}")
    list(APPEND files ${file})
  endforeach()
  string(REPLACE ";" "^" entries_arg "${entries}")
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} "-DOUT=${out}" "-DENTRIES=${entries_arg}" -P ${WINAPI_EMBED_SCRIPT}
    DEPENDS ${files} ${WINAPI_EMBED_SCRIPT}
    COMMENT "Embedding resources into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE winapi)
endfunction()
