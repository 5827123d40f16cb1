# Makes a delay-load import library for one DLL from its ordinary import
# library: every function that the import library offers (a thunk beside its
# import pointer) goes into a module definition, and dlltool builds the
# delay-load library from it. Data exports are left out: a delay-loaded
# pointer would read the loader's thunk instead of the data.
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIB=... -DDLL=shell32.dll
#         -DOUTPUT=.../libshell32-delay.a -DI386=ON|OFF -P make_delay_import_lib.cmake
foreach(var NM DLLTOOL IMPORT_LIB DLL OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_delay_import_lib: ${var} is not set")
  endif()
endforeach()
execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols ERROR_QUIET
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_delay_import_lib: ${NM} could not read ${IMPORT_LIB}")
endif()
# i386 symbols carry a leading underscore; 32-bit stdcall ones end in @n,
# which the definition keeps and --kill-at strips from the imported name.
if(I386)
  set(prefix "_")
else()
  set(prefix "")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ I __imp_${prefix}[^\n]+" pointers "${symbols}")
string(REGEX MATCHALL "[0-9a-fA-F]+ T ${prefix}[^\n]+" thunks "${symbols}")
set(thunk_names "")
foreach(line IN LISTS thunks)
  string(REGEX REPLACE "^[0-9a-fA-F]+ T ${prefix}" "" name "${line}")
  list(APPEND thunk_names "${name}")
endforeach()
set(exports "")
foreach(line IN LISTS pointers)
  string(REGEX REPLACE "^[0-9a-fA-F]+ I __imp_${prefix}" "" name "${line}")
  list(FIND thunk_names "${name}" at)
  if(at GREATER -1)
    string(APPEND exports "  ${name}\n")
  endif()
endforeach()
if(exports STREQUAL "")
  message(FATAL_ERROR "make_delay_import_lib: no functions found in ${IMPORT_LIB}")
endif()
set(def "${OUTPUT}.def")
file(WRITE "${def}" "LIBRARY ${DLL}\nEXPORTS\n${exports}")
set(kill_at "")
if(I386)
  set(kill_at --kill-at)
endif()
file(REMOVE "${OUTPUT}")
execute_process(COMMAND ${DLLTOOL} ${kill_at} --input-def "${def}" --output-delaylib "${OUTPUT}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS "${OUTPUT}")
  message(FATAL_ERROR "make_delay_import_lib: ${DLLTOOL} failed for ${DLL}")
endif()
