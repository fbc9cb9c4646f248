# Refuses the includes a library without widgets must not have: a header of a Qt module other than
# the ones it may use (QtWidgets, QtGui, QtMultimedia for a console library), or a header of the
# program's own that lies outside the folders it may include from (a window's header, a gui/ folder,
# a form's ui_*.h). The build runs it before it compiles each such library; tests/include_check_test.sh
# runs it on made-up files to see it refuse them.
#
#   cmake -DLIBRARY=name -DSOURCE_DIR=dir -DFILES=a.cpp,b.h -DOWN_HEADERS=regex -DQT_MODULES=QtCore
#         -DQT_INCLUDE_ROOT=dir [-DTREE_FOLDERS=x,y] -P check-includes.cmake
#
# FILES are the library's files, relative to SOURCE_DIR. OWN_HEADERS matches the project headers
# ("params/ParamNames.h") they may include. QT_MODULES names the Qt modules whose headers they may
# include (none when empty); QT_INCLUDE_ROOT holds Qt's module folders. With TREE_FOLDERS, the files
# directly in those folders must be exactly the library's files, so that the tree shows the library.
cmake_minimum_required(VERSION 3.25)

foreach(required LIBRARY SOURCE_DIR FILES OWN_HEADERS QT_INCLUDE_ROOT)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "check-includes.cmake needs -D${required}=...")
    endif()
endforeach()
string(REPLACE "," ";" files "${FILES}")
string(REPLACE "," ";" qt_modules "${QT_MODULES}")
string(REPLACE "," ";" tree_folders "${TREE_FOLDERS}")

set(refusals)

# The Qt module a header of the form <QtWidgets/QLineEdit> or <QLineEdit> belongs to; empty when it
# is no Qt header.
function(qt_module_of header result)
    set(module "")
    if(header MATCHES "^(Qt[A-Za-z]+)/")
        set(module "${CMAKE_MATCH_1}")
    else()
        file(GLOB found LIST_DIRECTORIES false "${QT_INCLUDE_ROOT}/Qt*/${header}")
        if(found)
            list(GET found 0 first)
            get_filename_component(folder "${first}" DIRECTORY)
            get_filename_component(module "${folder}" NAME)
        endif()
    endif()
    set(${result} "${module}" PARENT_SCOPE)
endfunction()

foreach(file IN LISTS files)
    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        if(line MATCHES "include[ \t]*\"([^\"]+)\"")
            set(header "${CMAKE_MATCH_1}")
            if(NOT header MATCHES "${OWN_HEADERS}")
                list(APPEND refusals "${file} includes \"${header}\", which ${LIBRARY} may not include")
            endif()
        elseif(line MATCHES "include[ \t]*<([^>]+)>")
            set(header "${CMAKE_MATCH_1}")
            qt_module_of("${header}" module)
            if(module AND NOT module IN_LIST qt_modules)
                list(APPEND refusals "${file} includes <${header}>, a header of ${module}, which ${LIBRARY} may not use")
            endif()
        endif()
    endforeach()
endforeach()

foreach(folder IN LISTS tree_folders)
    file(GLOB in_folder LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
        "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(file IN LISTS in_folder)
        if(NOT file IN_LIST files)
            list(APPEND refusals "${file} lies among ${LIBRARY}'s files but is not one of them: move it into a gui/ folder")
        endif()
    endforeach()
endforeach()
foreach(file IN LISTS files)
    get_filename_component(folder "${file}" DIRECTORY)
    if(tree_folders AND NOT folder IN_LIST tree_folders)
        list(APPEND refusals "${file} is one of ${LIBRARY}'s files but lies outside its folders (${TREE_FOLDERS})")
    endif()
endforeach()

if(refusals)
    list(JOIN refusals "\n  " text)
    message(FATAL_ERROR "${LIBRARY} is a library without widgets:\n  ${text}")
endif()
