# FindQScintilla: the Qt 6 build of QScintilla (Debian libqscintilla2-qt6-dev),
# which ships no CMake package of its own. Gives the imported target
# QScintilla::QScintilla; needs find_package(Qt6 COMPONENTS Widgets) first.
get_target_property(_qscintilla_qt_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
find_path(QScintilla_INCLUDE_DIR Qsci/qsciscintillabase.h HINTS ${_qscintilla_qt_includes})
find_library(QScintilla_LIBRARY NAMES qscintilla2_qt6)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(QScintilla REQUIRED_VARS QScintilla_LIBRARY QScintilla_INCLUDE_DIR)

if(QScintilla_FOUND AND NOT TARGET QScintilla::QScintilla)
    add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
    set_target_properties(QScintilla::QScintilla PROPERTIES
        IMPORTED_LOCATION ${QScintilla_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${QScintilla_INCLUDE_DIR}
        INTERFACE_COMPILE_DEFINITIONS QSCINTILLA_DLL
        INTERFACE_LINK_LIBRARIES Qt6::Widgets
    )
endif()
mark_as_advanced(QScintilla_INCLUDE_DIR QScintilla_LIBRARY)
