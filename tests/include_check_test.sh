#!/bin/sh
# The check that keeps widgets out of the core library (tools/check-includes.cmake), run on a made-up
# core library: it takes the includes a core file may have, and refuses each kind it must refuse,
# naming the file and what it includes.
# Usage: tests/include_check_test.sh SOURCE QT_INCLUDE_ROOT
set -eu
source=$1
qt=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# check NAME LINE EXPECTED: params/Table.cpp holds LINE besides includes a core file may have; the
# check must pass when EXPECTED is "ok", else fail with EXPECTED in its message.
check() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/params/gui" "$work/tree/platform"
    printf '#pragma once\n#include <QString>\n#include <optional>\n' > "$work/tree/params/Table.h"
    printf '#pragma once\n#include <QtCore/QObject>\n' > "$work/tree/platform/Failure.h"
    printf '#include "params/Table.h"\n#include "platform/Failure.h"\n#include <QRegularExpression>\n%s\n' "$2" \
        > "$work/tree/params/Table.cpp"
    files=params/Table.h,params/Table.cpp,platform/Failure.h
    [ "$1" = "a file the library does not list" ] && touch "$work/tree/params/Stray.h"
    [ "$1" = "a library file outside its folders" ] && files=$files,params/gui/Window.h && touch "$work/tree/params/gui/Window.h"
    if cmake -DLIBRARY=quillmark_core -DSOURCE_DIR="$work/tree" -DFILES=$files \
        "-DOWN_HEADERS=^(platform|params)/[A-Za-z0-9_]+\\.h\$" -DQT_MODULES=QtCore -DTREE_FOLDERS=platform,params \
        -DQT_INCLUDE_ROOT="$qt" -P "$source/tools/check-includes.cmake" > "$work/out" 2>&1; then
        [ "$3" = ok ] || fail "$1: taken"
    else
        [ "$3" != ok ] || fail "$1: refused: $(cat "$work/out")"
        grep -qF -- "$3" "$work/out" || fail "$1: the refusal does not say \"$3\": $(cat "$work/out")"
    fi
}

check "core includes only" '#include <array>' ok
check "a widget" '#include <QWidget>' 'params/Table.cpp includes <QWidget>, a header of QtWidgets'
check "a widget by its module" '#include <QtWidgets/QLineEdit>' 'params/Table.cpp includes <QtWidgets/QLineEdit>, a header of QtWidgets'
check "a GUI class" '#  include <QPalette>' 'includes <QPalette>, a header of QtGui'
check "the media framework" '#include <QMediaPlayer>' 'includes <QMediaPlayer>, a header of QtMultimedia'
check "a window's header" '#include "params/gui/Unit3.h"' 'params/Table.cpp includes "params/gui/Unit3.h", which quillmark_core may not include'
check "a form" '#include "ui_Unit1.h"' 'includes "ui_Unit1.h"'
check "a file the library does not list" '' 'params/Stray.h lies among quillmark_core'"'"'s files but is not one of them'
check "a library file outside its folders" '' 'params/gui/Window.h is one of quillmark_core'"'"'s files but lies outside its folders'
echo "the include check takes core includes and refuses the others"
