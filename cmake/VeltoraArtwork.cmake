# Artwork of the main program, rendered to PNG at build time.
#
# Every image the program names by resource path (":/main/res/main/x.png")
# is listed in a manifest "*.artwork" somewhere under res/, one line each:
#
#   <resource path>  <width> <height>  <source>  [tint=#RRGGBB]
#
#   :/main/res/main/mic_bg.png   24 24  main/mic_bg.svg
#   :/class/res/class/next.png   16 16  breeze:actions/16/go-next  tint=#5DC0BA
#
# <source> is an SVG of ours, relative to res/, or "breeze:<context>/<size>/<name>"
# for an icon of Debian's breeze-icon-theme (used from the installed theme, never
# copied into the repository). "tint" recolours a breeze icon's text colour.
# A committed PNG (".png" source) is copied as it is and its size is not checked.
# Each manifest becomes one resource bundle; one manifest per area keeps edits apart.
function(veltora_add_artwork target)
  find_program(RSVG_CONVERT rsvg-convert)
  if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (librsvg2-bin) not found: run tools/install-deps.sh")
  endif()
  file(GLOB_RECURSE manifests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.artwork)
  foreach(manifest ${manifests})
    get_filename_component(mname ${manifest} NAME_WE)
    file(STRINGS ${manifest} lines)
    set(qrc_body "")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      if(line STREQUAL "" OR line MATCHES "^#")
        continue()
      endif()
      separate_arguments(fields UNIX_COMMAND "${line}")
      list(LENGTH fields n)
      if(n LESS 4)
        message(FATAL_ERROR "${manifest}: '${line}' needs <path> <width> <height> <source>")
      endif()
      list(GET fields 0 respath)
      list(GET fields 1 width)
      list(GET fields 2 height)
      list(GET fields 3 source)
      set(tint "")
      if(n GREATER 4)
        list(GET fields 4 extra)
        if(extra MATCHES "^tint=(#[0-9A-Fa-f]+)$")
          set(tint ${CMAKE_MATCH_1})
        endif()
      endif()
      if(NOT respath MATCHES "^:/")
        message(FATAL_ERROR "${manifest}: resource path '${respath}' must start with :/")
      endif()
      string(REGEX REPLACE "^:/" "" rel "${respath}")
      if(source MATCHES "^breeze:(.+)$")
        set(src /usr/share/icons/breeze/${CMAKE_MATCH_1}.svg)
      else()
        set(src ${CMAKE_CURRENT_SOURCE_DIR}/${source})
      endif()
      set(out ${CMAKE_CURRENT_BINARY_DIR}/artwork/${rel})
      get_filename_component(outdir ${out} DIRECTORY)
      if(source MATCHES "\\.png$")
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
          COMMAND ${CMAKE_COMMAND} -E copy ${src} ${out}
          DEPENDS ${src} VERBATIM)
      elseif(tint)
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
          COMMAND ${CMAKE_COMMAND} -DIN=${src} -DOUT=${out}.svg -DTINT=${tint}
                  -P ${CMAKE_SOURCE_DIR}/cmake/VeltoraTint.cmake
          COMMAND ${RSVG_CONVERT} -w ${width} -h ${height} -o ${out} ${out}.svg
          DEPENDS ${src} ${CMAKE_SOURCE_DIR}/cmake/VeltoraTint.cmake VERBATIM)
      else()
        add_custom_command(OUTPUT ${out}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
          COMMAND ${RSVG_CONVERT} -w ${width} -h ${height} -o ${out} ${src}
          DEPENDS ${src} VERBATIM)
      endif()
      string(APPEND qrc_body "    <file alias=\"${rel}\">${out}</file>\n")
    endforeach()
    veltora_add_generated_bundle(${target} artwork_${mname} "${qrc_body}")
  endforeach()
endfunction()

# veltora_add_generated_bundle(target name body): compiles the <file> lines of
# body (files made by the build) into the resource bundle name of target.
function(veltora_add_generated_bundle target name body)
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${name}.qrc)
  set(qrc_text "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/\">\n${body}</qresource>\n</RCC>\n")
  # Rewritten only when it changes, so an unchanged manifest does not rebuild.
  if(EXISTS ${qrc})
    file(READ ${qrc} old)
  else()
    set(old "")
  endif()
  if(NOT old STREQUAL qrc_text)
    file(WRITE ${qrc} "${qrc_text}")
  endif()
  qt5_add_resources(rcc_sources ${qrc} OPTIONS -name ${name})
  target_sources(${target} PRIVATE ${rcc_sources})
endfunction()
