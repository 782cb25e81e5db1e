# Writes a manual page from a hand-written page and the program's own --help output, and
# compresses it as Debian wants it.
#   cmake -DPROGRAM=path -DTEMPLATE=page.1.in -DOUTPUT=page.1 -DVERSION=x.y.z -P manpage.cmake
# The template holds @VERSION@ and @HELP@; for a program with sub-commands (a "Subcommands:"
# list in its help), @HELP@ becomes its help followed by every sub-command's help, nested ones
# included.

cmake_minimum_required(VERSION 3.25)

foreach(var PROGRAM TEMPLATE OUTPUT VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "manpage.cmake: ${var} is not set")
  endif()
endforeach()

# The help text of `PROGRAM args... --help`.
function(program_help out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help
    OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help failed: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Roff for a text: its escape character made plain, and a line never starting with a control
# character.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A help text as man page paragraphs: headings ("Options:") in bold, each option line
# ("  --name TYPE   what it does", its description maybe on the next, deeply indented line) as a
# tagged paragraph, and every other line as a paragraph of its own.
function(roff_help out text)
  set(roff "")
  string(APPEND text "\n")
  while(NOT text STREQUAL "")
    string(FIND "${text}" "\n" eol)
    string(SUBSTRING "${text}" 0 ${eol} line)
    math(EXPR next "${eol} + 1")
    string(SUBSTRING "${text}" ${next} -1 text)
    string(REGEX REPLACE "[ \t\r]+$" "" line "${line}")
    if(line STREQUAL "")
      continue()
    endif()
    if(line MATCHES "^          +(.*)$")  # an option's description on its own line
      roff_text(desc "${CMAKE_MATCH_1}")
      string(APPEND roff "${desc}\n")
    elseif(line MATCHES "^  ([^ ].*)$")
      set(entry "${CMAKE_MATCH_1}")
      if(entry MATCHES "^([^ ]+( [^ ]+)*)  +(.*)$")
        set(tag "${CMAKE_MATCH_1}")
        set(desc "${CMAKE_MATCH_3}")
      else()
        set(tag "${entry}")
        set(desc "")
      endif()
      roff_text(tag "${tag}")
      string(REPLACE "-" "\\-" tag "${tag}")
      string(APPEND roff ".TP\n\\fB${tag}\\fR\n")
      if(NOT desc STREQUAL "")
        roff_text(desc "${desc}")
        string(APPEND roff "${desc}\n")
      endif()
    elseif(line MATCHES "^[^ ].*:$")
      roff_text(line "${line}")
      string(APPEND roff ".PP\n\\fB${line}\\fR\n")
    else()
      string(STRIP "${line}" line)
      roff_text(line "${line}")
      string(APPEND roff ".PP\n${line}\n")
    endif()
  endwhile()
  string(REGEX REPLACE "\n$" "" roff "${roff}")
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

# Appends to `out` a section for every sub-command the help text lists (its heading, then one
# indented line per command, name first), and for theirs in turn.
function(append_subcommands out help)
  set(roff "${${out}}")
  string(REGEX MATCH "\n[Ss][Uu][Bb][Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:\n(  [^\n]*\n?)+" list "${help}")
  string(REGEX MATCHALL "\n  [a-z][-a-z0-9_]*" names "${list}")
  get_filename_component(program_name "${PROGRAM}" NAME)
  foreach(line IN LISTS names)
    string(STRIP "${line}" name)
    program_help(sub ${ARGN} ${name})
    roff_help(block "${sub}")
    string(JOIN " " title ${program_name} ${ARGN} ${name})
    string(APPEND roff "\n.SS \"${title}\"\n${block}")
    append_subcommands(roff "${sub}" ${ARGN} ${name})
  endforeach()
  set(${out} "${roff}" PARENT_SCOPE)
endfunction()

program_help(help)
roff_help(HELP "${help}")
append_subcommands(HELP "${help}")

file(READ ${TEMPLATE} page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@HELP@" "${HELP}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
execute_process(COMMAND gzip -9nf ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${OUTPUT} failed")
endif()
