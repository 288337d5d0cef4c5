# Runs make_level on small sources written here: a well-formed one must give a
# level file of the full size, and each malformed one must be refused with its
# message, a non-zero status and no level file.
#   cmake -DMAKE_LEVEL=path/to/make_level -DWORK_DIR=scratch/folder -P make_level_rejects.cmake

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# Rows 133 down to 116, the bottom row of every source, from column 52 to
# column 139: just enough to hold the goal marker at (138, 133) and the start
# marker at (64, 130) above a floor.
string(REPEAT "." 86 row_133)
string(APPEND row_133 "G.")
string(REPEAT "." 88 empty_row)
string(REPEAT "." 12 row_130)
string(REPEAT "#" 75 floor)
string(APPEND row_130 "S${floor}")
string(REPEAT "${empty_row}\n" 14 rows_below)
set(good "${row_133}\n${empty_row}\n${empty_row}\n${row_130}\n${rows_below}")

# Runs the tool on the source file NAME.txt if TEXT is given, on a missing
# file otherwise; sets status and message in the caller.
function(run_tool name)
  if(ARGC GREATER 1)
    file(WRITE ${WORK_DIR}/${name}.txt "${ARGV1}")
  endif()
  execute_process(COMMAND ${MAKE_LEVEL} ${WORK_DIR}/${name}.txt ${WORK_DIR}/${name}.lvl
    RESULT_VARIABLE result ERROR_VARIABLE error)
  set(status ${result} PARENT_SCOPE)
  set(message "${error}" PARENT_SCOPE)
endfunction()

function(expect_accepted name)
  run_tool(${name} "${ARGV1}")
  set(size 0)
  if(EXISTS ${WORK_DIR}/${name}.lvl)
    file(SIZE ${WORK_DIR}/${name}.lvl size)
  endif()
  if(NOT status EQUAL 0 OR NOT size EQUAL 262148)
    message(SEND_ERROR "${name}: status ${status}, ${size} bytes written; ${message}")
  endif()
endfunction()

function(expect_rejected name pattern)
  if(ARGC GREATER 2)
    run_tool(${name} "${ARGV2}")
  else()
    run_tool(${name})
  endif()
  if(status EQUAL 0)
    message(SEND_ERROR "${name}: accepted")
  endif()
  if(NOT message MATCHES "${pattern}")
    message(SEND_ERROR "${name}: the message \"${message}\" does not match \"${pattern}\"")
  endif()
  if(EXISTS ${WORK_DIR}/${name}.lvl)
    message(SEND_ERROR "${name}: a level file was written")
  endif()
endfunction()

expect_accepted(good "${good}")
string(REPLACE "\n" "\r\n" crlf "${good}")
expect_accepted(windows_line_ends "${crlf}")

expect_rejected(short_line "line 3 has 1 characters, line 1 has 88"
  "${row_133}\n${empty_row}\n.\n${row_130}\n${rows_below}")
string(REPLACE "S" "x" unknown "${good}")
expect_rejected(unknown_character "line 4, character 13: unknown character 'x'" "${unknown}")
string(REPLACE "G" "." no_goal "${good}")
expect_rejected(no_goal "exactly one 'G'" "${no_goal}")
string(REPLACE ".S" "S." shifted "${good}")
expect_rejected(shifted_start "'S' .* is at column 63, row 130" "${shifted}")
expect_rejected(empty "is empty" "")
expect_rejected(missing_source "cannot be read")
