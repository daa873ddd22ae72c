# SPDX-License-Identifier: GPL-3.0-or-later
# Qt's headers are most of what a file of ours costs to compile. Each library
# parses the ones it uses once, and the tests share one parse, which shortens
# every clean build (CI makes several). -DVOLTQUILL_PCH=OFF builds without.
option(VOLTQUILL_PCH "Precompile Qt's headers" ON)

set(VOLTQUILL_PCH_CORE
    <QtCore/QObject> <QtCore/QString> <QtCore/QStringList> <QtCore/QList> <QtCore/QHash>
    <QtCore/QMap> <QtCore/QSet> <QtCore/QVariant> <QtCore/QDateTime> <QtCore/QTimer>
    <QtCore/QFile> <QtCore/QFileInfo> <QtCore/QDir> <QtCore/QTextStream>
    <QtCore/QJsonArray> <QtCore/QJsonDocument> <QtCore/QJsonObject>)
set(VOLTQUILL_PCH_DBUS
    <QtDBus/QDBusArgument> <QtDBus/QDBusConnection> <QtDBus/QDBusConnectionInterface>
    <QtDBus/QDBusMessage> <QtDBus/QDBusPendingCallWatcher> <QtDBus/QDBusPendingReply>
    <QtDBus/QDBusVariant>)
set(VOLTQUILL_PCH_WIDGETS
    <QtGui/QIcon> <QtGui/QImage> <QtGui/QPainter> <QtGui/QPainterPath>
    <QtWidgets/QApplication> <QtWidgets/QBoxLayout> <QtWidgets/QCheckBox>
    <QtWidgets/QComboBox> <QtWidgets/QLabel> <QtWidgets/QMenu> <QtWidgets/QPushButton>
    <QtWidgets/QWidget>)

# voltquill_precompile(<target> [DBUS] [WIDGETS]): Qt Core's headers, and those
# of the named modules, precompiled for <target>.
function(voltquill_precompile target)
    if(NOT VOLTQUILL_PCH)
        return()
    endif()
    cmake_parse_arguments(P "DBUS;WIDGETS" "" "" ${ARGN})
    set(headers ${VOLTQUILL_PCH_CORE})
    if(P_DBUS)
        list(APPEND headers ${VOLTQUILL_PCH_DBUS})
    endif()
    if(P_WIDGETS)
        list(APPEND headers ${VOLTQUILL_PCH_WIDGETS})
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# voltquill_reuse_precompiled(<target> <donor>): <target> uses <donor>'s parse.
# The donor must be built with the same flags, so it is an executable like the
# tests (-fPIE) and defines every Qt module macro they may define.
# A test's moc file is almost always empty (its class is moc'ed into its own
# source), so it skips the header: loading it costs a second, compiling nothing.
function(voltquill_reuse_precompiled target donor)
    if(VOLTQUILL_PCH)
        target_precompile_headers(${target} REUSE_FROM ${donor})
        get_target_property(binary_dir ${target} BINARY_DIR)
        set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp
            TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
endfunction()
