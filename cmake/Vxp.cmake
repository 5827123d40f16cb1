# Project-wide build helpers.

if(WIN32)
  set(VXP_WINDOWS ON)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
else()
  set(VXP_WINDOWS OFF)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(VXP_FUZZ)
  # Coverage feedback for the libraries too, not only for the fuzz entry points.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VXP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# A path as the program under test sees it: Wine maps the Unix root to drive Z:.
function(vxp_native_path out path)
  if(VXP_WINDOWS)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

function(vxp_setup_gtest)
  if(TARGET gtest)
    return()
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  if(EXISTS /usr/src/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  else()
    message(FATAL_ERROR "GoogleTest sources not found in /usr/src/googletest: run scripts/setup.sh")
  endif()
endfunction()

# vxp_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [TIMEOUT <s>])
# One test executable, registered with ctest as one test. Under Wine it runs
# through scripts/wine-run.sh, which fails the test when the program did not
# start (Wine can exit 0 when a program cannot be loaded).
function(vxp_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
  vxp_native_path(data_dir ${CMAKE_BINARY_DIR}/testdata)
  vxp_native_path(src_dir ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    VXP_TEST_DATA_DIR="${data_dir}" VXP_SOURCE_DIR="${src_dir}")
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(VXP_WINDOWS)
    add_test(NAME ${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh --gtest $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  # Every Wine test of a run shares one desktop and so one clipboard: a test that reads back what
  # it put there fails when another empties it in between. Tests that touch it take turns.
  if(VXP_WINDOWS)
    foreach(src ${T_SOURCES})
      file(READ ${src} text)
      if(text MATCHES "[Cc]lipboard")
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK clipboard)
        break()
      endif()
    endforeach()
  endif()
endfunction()

# Every .cpp of <dir>/tests becomes its own test executable named <prefix>_<file>.
function(vxp_add_test_folder prefix dir)
  cmake_parse_arguments(T "" "" "LIBS;LABELS" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  foreach(src ${test_sources})
    get_filename_component(base ${src} NAME_WE)
    vxp_add_gtest(${prefix}_${base} SOURCES ${src} LIBS ${T_LIBS} LABELS ${T_LABELS})
  endforeach()
endfunction()

# Fixture generators: every <dir>/make_*.py runs once per build as
#   /usr/bin/python3 make_x.py <out-dir>
# writing into <build>/testdata/<subdir>. Test executables of the folder depend on it.
function(vxp_add_fixture_scripts target dir subdir)
  file(GLOB scripts CONFIGURE_DEPENDS ${dir}/make_*.py)
  set(out ${CMAKE_BINARY_DIR}/testdata/${subdir})
  set(stamps)
  foreach(script ${scripts})
    get_filename_component(base ${script} NAME_WE)
    set(stamp ${out}/.${base}.stamp)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND /usr/bin/python3 ${script} ${out}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${script}
      COMMENT "Generating test fixtures with ${base}.py")
    list(APPEND stamps ${stamp})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${stamps})
endfunction()

# Fuzz targets: every <dir>/*_fuzz.cpp is a libFuzzer program linked with LIBS.
function(vxp_add_fuzz_folder dir)
  if(NOT VXP_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_fuzz.cpp)
  foreach(src ${sources})
    get_filename_component(base ${src} NAME_WE)
    add_executable(${base} ${src})
    target_compile_options(${base} PRIVATE -fsanitize=fuzzer)
    target_link_options(${base} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${base} PRIVATE ${F_LIBS})
    target_include_directories(${base} PRIVATE ${CMAKE_SOURCE_DIR})
  endforeach()
endfunction()

# Lets the executable `target` load DLLs at their first call instead of at
# process start, so that a window can answer before libraries that it does
# not need yet are mapped and initialised. SYSTEM names the toolchain's
# import libraries as they are linked (shell32 for -lshell32); each is
# shadowed, for this target only, by a library that takes the functions from
# a delay-load import library and anything else (the GUIDs that some import
# libraries carry) from the ordinary one. ARCHIVES gives import libraries
# linked by their full path (zlib's); their delay-load libraries are linked
# whole ahead of everything, so that the ordinary ones are never needed.
# A DLL that cannot be loaded, or lacks a function, reaches the target's
# __pfnDliFailureHook2 at the first call. The x86_64 loader thunk keeps the
# integer argument registers only: no function taking floating-point
# arguments may be delay-loaded.
function(vxp_delay_load target)
  cmake_parse_arguments(arg "" "" "SYSTEM;ARCHIVES" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-delay-load)
  file(MAKE_DIRECTORY ${dir})
  set(i386 OFF)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
    set(i386 ON)
  endif()
  set(script ${CMAKE_SOURCE_DIR}/cmake/make_delay_import_lib.cmake)
  set(made "")
  set(whole "")
  foreach(name IN LISTS arg_SYSTEM arg_ARCHIVES)
    if(name IN_LIST arg_SYSTEM)
      find_library(vxp_import_lib_${name} NAMES lib${name}.a REQUIRED NO_CACHE)
      set(import_lib ${vxp_import_lib_${name}})
      get_filename_component(base ${import_lib} NAME_WE)
    else()
      set(import_lib ${name})
      get_filename_component(base ${import_lib} NAME_WE)
    endif()
    execute_process(COMMAND ${CMAKE_DLLTOOL} --identify ${import_lib}
      OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR dll STREQUAL "")
      message(FATAL_ERROR "vxp_delay_load: no DLL name in ${import_lib}")
    endif()
    set(delay_lib ${dir}/${base}-delay.a)
    add_custom_command(OUTPUT ${delay_lib}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
        -DIMPORT_LIB=${import_lib} -DDLL=${dll} -DOUTPUT=${delay_lib} -DI386=${i386} -P ${script}
      DEPENDS ${import_lib} ${script}
      COMMENT "Delay-load import library for ${dll}" VERBATIM)
    list(APPEND made ${delay_lib})
    if(name IN_LIST arg_SYSTEM)
      # Found by -l${name} before the toolchain's own, as a linker script.
      file(CONFIGURE OUTPUT ${dir}/lib${name}.a CONTENT "INPUT(\"${delay_lib}\" \"${import_lib}\")\n")
    else()
      list(APPEND whole ${delay_lib})
    endif()
  endforeach()
  add_custom_target(${target}_delay_load DEPENDS ${made})
  add_dependencies(${target} ${target}_delay_load)
  target_link_directories(${target} BEFORE PRIVATE ${dir})
  if(whole)
    target_link_options(${target} PRIVATE "LINKER:--whole-archive" ${whole}
      "LINKER:--no-whole-archive")
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${made})
endfunction()
