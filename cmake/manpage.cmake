# Makes the manual page of verdarium-cli from its own --help texts, so the two never disagree.
# cmake -DCLI=path/to/verdarium-cli -DVERSION=x.y -DOUT=verdarium-cli.1.gz -P manpage.cmake

function(run_help out)
    execute_process(COMMAND "${CLI}" ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${CLI} ${ARGN} ended with ${rc}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff reads it: backslashes and hyphens escaped, no line taken for a request.
function(roff out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

run_help(usage --help)
string(REPLACE ";" "\\;" usage "${usage}")
string(REPLACE "\n" ";" lines "${usage}")

set(commands "")
set(notes "")
foreach(line IN LISTS lines)
    if(line MATCHES "^ *(usage: )?verdarium-cli ([a-z-]+) ")
        list(APPEND commands "${CMAKE_MATCH_2}")
    elseif(NOT line STREQUAL "" AND NOT line MATCHES "^usage:")
        string(APPEND notes "${line}\n")
    endif()
endforeach()
list(REMOVE_ITEM commands "COMMAND")

roff(notes "${notes}")
set(page ".TH VERDARIUM\\-CLI 1 \"\" \"My Verdarium ${VERSION}\" \"User Commands\"
.SH NAME
verdarium\\-cli \\- reads and changes a My Verdarium plant collection without a window
.SH SYNOPSIS
.B verdarium\\-cli
.I COMMAND
.RI [ ARGUMENTS ]
.br
.B verdarium\\-cli
.I COMMAND
.B \\-\\-help
.SH DESCRIPTION
verdarium\\-cli reads and changes the collection of My Verdarium without a window, for scripts,
backups and tests, through the same functions the window program uses.
.PP
${notes}.SH COMMANDS
")

foreach(command IN LISTS commands)
    run_help(help "${command}" --help)
    string(REGEX MATCH "^[^\n]*" synopsis "${help}")
    string(FIND "${help}" "\n\n" cut)
    math(EXPR cut "${cut} + 2")
    string(SUBSTRING "${help}" ${cut} -1 body)
    string(REGEX MATCH "\nExample:\n *([^\n]*)" example "${body}")
    set(example "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "\n*Example:\n *[^\n]*\n*" "\n" body "${body}")
    string(STRIP "${body}" body)
    roff(synopsis "${synopsis}")
    roff(body "${body}")
    roff(example "${example}")
    string(APPEND page ".TP\n.B ${synopsis}\n${body}\n.RS\n.PP\nExample:\n.nf\n${example}\n.fi\n.RE\n")
endforeach()

string(APPEND page ".SH FILES
.TP
.I \$XDG_DATA_HOME/my\\-verdarium/
The collection of an installed copy (MyPlants, main.ini, errorlog.txt), by default
.IR ~/.local/share/my\\-verdarium/ .
.SH SEE ALSO
.B verdarium
is the window program over the same collection.
")

string(REGEX REPLACE "\\.gz$" "" plain "${OUT}")
file(WRITE "${plain}" "${page}")
# Debian keeps manual pages compressed; -n leaves the time out so the package is reproducible.
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${plain} failed")
endif()
