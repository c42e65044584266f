# SPDX-License-Identifier: MIT
# korvel_generate(<target> SCHEMAS <file.xsd>... [NAMESPACE <c++ namespace>]
#                 [BASENAME <name>] [DEPENDS <file>...] [NO_LINK])
#
# Generates the binding of the schemas (and of what they include or import) at
# build time and compiles it into <target>, which also gets the generated
# header's folder on its include path and a link to Korvel::korvel. BASENAME
# (default: the first schema's name without extension) names <name>.h and
# <name>.cpp; NAMESPACE defaults to BASENAME in Pascal case. List included or
# imported files under DEPENDS so that changing them regenerates the binding.
# NO_LINK leaves linking the library to the caller.
function(korvel_generate target)
  cmake_parse_arguments(PARSE_ARGV 1 KG "NO_LINK" "NAMESPACE;BASENAME" "SCHEMAS;DEPENDS")
  if(NOT KG_SCHEMAS)
    message(FATAL_ERROR "korvel_generate(${target}): no SCHEMAS given")
  endif()
  if(TARGET Korvel::korvel-xsd)
    set(generator Korvel::korvel-xsd)
  elseif(TARGET korvel-xsd)
    set(generator korvel-xsd)
  else()
    message(FATAL_ERROR "korvel_generate(${target}): the korvel-xsd program is not known")
  endif()
  set(schemas)
  foreach(schema IN LISTS KG_SCHEMAS)
    get_filename_component(schema ${schema} ABSOLUTE)
    list(APPEND schemas ${schema})
  endforeach()
  if(NOT KG_BASENAME)
    list(GET schemas 0 first)
    get_filename_component(KG_BASENAME ${first} NAME_WE)
  endif()
  set(options -b ${KG_BASENAME})
  if(KG_NAMESPACE)
    list(APPEND options -n ${KG_NAMESPACE})
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/korvel_generated/${target})
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(
    OUTPUT ${dir}/${KG_BASENAME}.h ${dir}/${KG_BASENAME}.cpp
    COMMAND ${generator} -o ${dir} ${options} ${schemas}
    DEPENDS ${generator} ${schemas} ${KG_DEPENDS}
    COMMENT "Generating the ${KG_BASENAME} binding"
    VERBATIM)
  target_sources(${target} PRIVATE ${dir}/${KG_BASENAME}.h ${dir}/${KG_BASENAME}.cpp)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${dir}>)
  if(NOT KG_NO_LINK)
    target_link_libraries(${target} PUBLIC Korvel::korvel)
  endif()
endfunction()
