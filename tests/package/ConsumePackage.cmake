# cmake -P script: install BUILD_DIR into WORK_DIR/prefix, check that the
# installed libMorvash finds libMorvashPlatform by itself, then configure,
# build and run the consumer project against that prefix alone. The consumer
# gets this build's compiler and linker flags, so that a sanitizer build's
# libraries meet a program built with the same runtime.
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR GENERATOR CXX_COMPILER)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

file(GLOB libraries ${prefix}/lib*/libMorvash.so)
list(LENGTH libraries count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one installed libMorvash.so, found: ${libraries}")
endif()
execute_process(COMMAND ldd ${libraries} OUTPUT_VARIABLE needed COMMAND_ERROR_IS_FATAL ANY)
if(NOT needed MATCHES "libMorvashPlatform[^\n]* => ${prefix}/")
    message(FATAL_ERROR "installed libMorvash does not find libMorvashPlatform in ${prefix}:\n${needed}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND}
        -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
        -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
        "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
        "-DCMAKE_EXE_LINKER_FLAGS=${EXE_LINKER_FLAGS}"
        -DCMAKE_PREFIX_PATH=${prefix}
        -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WORK_DIR}/build/consumer ${WORK_DIR} COMMAND_ERROR_IS_FATAL ANY)
