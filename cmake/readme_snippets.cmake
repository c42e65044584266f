# SPDX-License-Identifier: MIT
# The README's ```cpp blocks are complete programs: each is compiled against the
# shared library, as a user's program would be, and run in a directory where
# the README's ```xml block is the file order.xml that the programs read. A
# ```text block right after a program is what it must print.
set(KORVEL_README ${PROJECT_SOURCE_DIR}/README.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KORVEL_README})
set(KORVEL_README_DIR ${CMAKE_CURRENT_BINARY_DIR}/readme)
file(MAKE_DIRECTORY ${KORVEL_README_DIR})

# Writes content to path only when it changed, so that reconfiguring does not
# rebuild the snippets.
function(korvel_write_if_changed path content)
  file(WRITE ${path}.new "${content}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()

file(READ ${KORVEL_README} text)
set(snippet 0)
while(TRUE)
  # An opening fence "```lang" at the start of a line, then the block up to the
  # closing fence at the start of a line.
  string(FIND "${text}" "\n```" fence)
  if(fence EQUAL -1)
    break()
  endif()
  math(EXPR fence "${fence} + 4")
  string(SUBSTRING "${text}" ${fence} -1 text)
  string(FIND "${text}" "\n" eol)
  string(SUBSTRING "${text}" 0 ${eol} lang)
  math(EXPR eol "${eol} + 1")
  string(SUBSTRING "${text}" ${eol} -1 text)
  string(FIND "${text}" "```" close)
  string(SUBSTRING "${text}" 0 ${close} block)
  math(EXPR close "${close} + 3")
  string(SUBSTRING "${text}" ${close} -1 text)

  if(lang STREQUAL "xml")
    korvel_write_if_changed(${KORVEL_README_DIR}/order.xml "${block}")
  elseif(lang STREQUAL "cpp")
    math(EXPR snippet "${snippet} + 1")
    set(source ${KORVEL_README_DIR}/snippet_${snippet}.cpp)
    korvel_write_if_changed(${source} "${block}")
    add_executable(korvel_readme_snippet_${snippet} ${source})
    target_link_libraries(korvel_readme_snippet_${snippet} PRIVATE Korvel::korvel korvel_warnings)
    add_test(NAME readme.snippet_${snippet}
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:korvel_readme_snippet_${snippet}>
        -DEXPECTED=${KORVEL_README_DIR}/snippet_${snippet}.out
        -P ${PROJECT_SOURCE_DIR}/cmake/run_readme_snippet.cmake
      WORKING_DIRECTORY ${KORVEL_README_DIR})
    korvel_write_if_changed(${KORVEL_README_DIR}/snippet_${snippet}.out "")
  elseif(lang STREQUAL "text" AND snippet GREATER 0)
    korvel_write_if_changed(${KORVEL_README_DIR}/snippet_${snippet}.out "${block}")
  endif()
endwhile()
if(snippet EQUAL 0)
  message(FATAL_ERROR "No ```cpp block found in ${KORVEL_README}")
endif()
