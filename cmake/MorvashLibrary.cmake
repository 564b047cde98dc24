# morvash_add_library(<target> ALIAS <alias> EXPORT_NAME <name> BUILDING <macro>
#                     SOURCES <files>... [LINK_PUBLIC <targets>...])
#
# One of the two installed shared libraries: C++20, hidden symbols except
# those marked for export (the BUILDING macro is defined while it is built),
# a versioned soname, headers from include/ installed under include/morvash,
# and a place in the Morvash CMake package.
function(morvash_add_library target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "ALIAS;EXPORT_NAME;BUILDING" "SOURCES;LINK_PUBLIC")
    add_library(${target} SHARED ${arg_SOURCES})
    add_library(${arg_ALIAS} ALIAS ${target})
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_definitions(${target} PRIVATE ${arg_BUILDING})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    )
    target_link_libraries(${target} PUBLIC ${arg_LINK_PUBLIC} PRIVATE tandrel_warnings)
    # Calls inside the library go straight to its own exported functions (and
    # may be inlined) instead of through the PLT: nothing ever interposes them.
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        INSTALL_RPATH "$ORIGIN"
        EXPORT_NAME ${arg_EXPORT_NAME}
    )
    install(TARGETS ${target} EXPORT MorvashTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    )
    install(DIRECTORY include/morvash DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()
