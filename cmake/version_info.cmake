# A version resource for each shipped Windows module (tagcfg.dll, tagcfg.exe, opcsim.dll), so
# Explorer, installers and support staff can tell which release a file came from. The version is
# the project's; the fixed four-part number is padded with zeros (1.0 -> 1,0,0,0).
set(TAGCFG_VERSION_NUMBERS "")
foreach(part MAJOR MINOR PATCH TWEAK)
  set(number "${PROJECT_VERSION_${part}}")
  if(number STREQUAL "")
    set(number 0)
  endif()
  list(APPEND TAGCFG_VERSION_NUMBERS ${number})
endforeach()
string(REPLACE ";" "," TAGCFG_VERSION_NUMBERS "${TAGCFG_VERSION_NUMBERS}")

# tagcfg_version_info(TARGET FILE_NAME DESCRIPTION): FILE_NAME is the module's file name
# (tagcfg.dll); its stem is the internal name.
function(tagcfg_version_info target file_name description)
  set(TAGCFG_FILE_NAME "${file_name}")
  set(TAGCFG_FILE_DESCRIPTION "${description}")
  get_filename_component(TAGCFG_INTERNAL_NAME "${file_name}" NAME_WE)
  if(file_name MATCHES "\\.exe$")
    set(TAGCFG_FILE_TYPE VFT_APP)
  else()
    set(TAGCFG_FILE_TYPE VFT_DLL)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
