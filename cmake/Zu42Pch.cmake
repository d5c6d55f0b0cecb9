# Precompiled Qt headers, one set per kind of target, each compiled once by a small owner target
# and reused by every target of that kind (REUSE_FROM).
#
# A compiler takes a precompiled header only when the flags it was made with still hold: the
# same position-independence, the same macros for every macro it was made with, and none defined
# now that its headers test (qtest.h tests QT_GUI_LIB and QT_WIDGETS_LIB to choose its main). So
# the owners are object libraries (compiled -fPIC like the static libraries and each test's
# objects) that link the fewest Qt modules of their kind; a user may add macros the headers never
# test. GCC says "-Winvalid-pch" when a header is not taken; the build then goes on without it.
#
#   zu42_use_pch(KIND target...)   KIND: core, widgets, test, guitest, widgetstest
#   zu42_pch_kind_of(out libs...)  core, gui or widgets: the most the libraries bring in
include_guard(GLOBAL)
option(ZU42_PCH "Precompile the common Qt headers" ON)

# The tests' compile options. Line tables only: a failure's backtrace and a sanitizer's report
# still name file and line, and the tests, most of the objects, compile and link faster. Qt
# Test's macros of the target's build and source folder go: they differ from folder to folder,
# which no shared precompiled header allows, and they only serve QFINDTESTDATA, which finds its
# file beside the source without them.
set(ZU42_TEST_FLAGS $<$<AND:$<CONFIG:RelWithDebInfo,Debug>,$<CXX_COMPILER_ID:GNU,Clang>>:-g1>
    -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)

set(zu42_pch_core
    <QtCore/QByteArray> <QtCore/QDateTime> <QtCore/QDir> <QtCore/QElapsedTimer> <QtCore/QFile>
    <QtCore/QFileInfo> <QtCore/QHash> <QtCore/QJsonArray> <QtCore/QJsonDocument> <QtCore/QJsonObject>
    <QtCore/QList> <QtCore/QMap> <QtCore/QObject> <QtCore/QRegularExpression> <QtCore/QSet>
    <QtCore/QString> <QtCore/QStringList> <QtCore/QTimer> <QtCore/QVariant>
    <functional> <memory> <optional> <vector>)
set(zu42_pch_gui <QtGui/QColor> <QtGui/QFont> <QtGui/QGuiApplication>)
set(zu42_pch_widgets
    <QtGui/QAction> <QtWidgets/QApplication> <QtWidgets/QCheckBox> <QtWidgets/QComboBox>
    <QtWidgets/QHeaderView> <QtWidgets/QLabel> <QtWidgets/QLineEdit> <QtWidgets/QPushButton>
    <QtWidgets/QSpinBox> <QtWidgets/QTableView> <QtWidgets/QWidget>)
set(zu42_pch_test
    <QtTest/QSignalSpy> <QtTest/QTest> <QtCore/QCoreApplication> <QtCore/QProcess>
    <QtCore/QTemporaryDir>)

# kind -> (Qt modules the owner links, header lists)
set(zu42_pch_kind_core core)
set(zu42_pch_libs_core Qt6::Core)
set(zu42_pch_kind_widgets core gui widgets)
set(zu42_pch_libs_widgets Qt6::Widgets)
set(zu42_pch_kind_test core test)
set(zu42_pch_libs_test Qt6::Test Qt6::Network)
set(zu42_pch_kind_guitest core gui test)
set(zu42_pch_libs_guitest Qt6::Test Qt6::Network Qt6::Gui)
set(zu42_pch_kind_widgetstest core gui widgets test)
set(zu42_pch_libs_widgetstest Qt6::Test Qt6::Network Qt6::Widgets)

function(zu42_use_pch kind)
    if(NOT ZU42_PCH)
        return()
    endif()
    set(owner zu42pch_${kind})
    if(NOT TARGET ${owner})
        set(source ${PROJECT_BINARY_DIR}/pch/${owner}.cpp)
        if(NOT EXISTS ${source})
            file(WRITE ${source} "// The owner of the ${kind} precompiled headers; compiles nothing of its own.\n")
        endif()
        add_library(${owner} OBJECT EXCLUDE_FROM_ALL ${source})
        target_link_libraries(${owner} PRIVATE ${zu42_pch_libs_${kind}})
        set_target_properties(${owner} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
        set(headers)
        foreach(part IN LISTS zu42_pch_kind_${kind})
            list(APPEND headers ${zu42_pch_${part}})
        endforeach()
        target_precompile_headers(${owner} PRIVATE ${headers})
        if(kind MATCHES "test$")
            target_compile_options(${owner} PRIVATE ${ZU42_TEST_FLAGS})
        endif()
    endif()
    foreach(target IN LISTS ARGN)
        target_precompile_headers(${target} REUSE_FROM ${owner})
    endforeach()
endfunction()

function(zu42_pch_kind_of out)
    set(kind core)
    set(seen)
    set(queue ${ARGN})
    while(queue)
        list(POP_FRONT queue lib)
        if(lib MATCHES "^\\$<" OR lib IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${lib})
        if(lib STREQUAL "Qt6::Widgets")
            set(kind widgets)
        elseif(lib STREQUAL "Qt6::Gui" AND kind STREQUAL "core")
            set(kind gui)
        endif()
        if(TARGET ${lib} AND NOT lib MATCHES "^Qt6::")
            get_target_property(more ${lib} INTERFACE_LINK_LIBRARIES)
            if(more)
                list(APPEND queue ${more})
            endif()
        endif()
    endwhile()
    set(${out} ${kind} PARENT_SCOPE)
endfunction()
