# Sounds of the main program, synthesised at build time.
#
# Every sound the program names by resource path is listed in a manifest
# "*.sounds" somewhere under res/, one line each:
#
#   <resource path>  <source>
#
#   :/setting/res/setting/animal_voice/dog.mp3   setting/animal_voice/dog.graph
#
# <source> (relative to res/) is an ffmpeg filter graph of ours whose output
# pad is [out] (aevalsrc expressions); the build renders it to a mono MP3 with
# the ffmpeg CLI. Each manifest becomes one resource bundle. The path of each
# rendered file is kept in the global property VELTORA_SOUND_<name> (<name> =
# the file name without extension), for copies outside the resources.
function(veltora_add_sounds target)
  find_program(FFMPEG_CLI ffmpeg)
  if(NOT FFMPEG_CLI)
    message(FATAL_ERROR "ffmpeg not found: run tools/install-deps.sh")
  endif()
  file(GLOB_RECURSE manifests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.sounds)
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
      if(NOT n EQUAL 2)
        message(FATAL_ERROR "${manifest}: '${line}' needs <resource path> <source>")
      endif()
      list(GET fields 0 respath)
      list(GET fields 1 source)
      if(NOT respath MATCHES "^:/.+\\.mp3$")
        message(FATAL_ERROR "${manifest}: resource path '${respath}' must start with :/ and end in .mp3")
      endif()
      string(REGEX REPLACE "^:/" "" rel "${respath}")
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${source})
      set(out ${CMAKE_CURRENT_BINARY_DIR}/sounds/${rel})
      get_filename_component(outdir ${out} DIRECTORY)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${outdir}
        COMMAND ${FFMPEG_CLI} -nostdin -hide_banner -loglevel error -y -filter_complex_script ${src}
                -map [out] -ac 1 -c:a libmp3lame -b:a 64k ${out}
        DEPENDS ${src} VERBATIM)
      get_filename_component(sname ${rel} NAME_WE)
      set_property(GLOBAL PROPERTY VELTORA_SOUND_${sname} ${out})
      string(APPEND qrc_body "    <file alias=\"${rel}\">${out}</file>\n")
    endforeach()
    veltora_add_generated_bundle(${target} sounds_${mname} "${qrc_body}")
  endforeach()
endfunction()
