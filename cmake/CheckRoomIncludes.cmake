# Fails when a file of a room includes a room that is not below it in the
# order of cmake/QuorvelRooms.cmake. The libraries alone cannot refuse such an
# include when the included piece lives in a header only, so the build runs
# this over src/:
#
#   cmake -DSOURCE_DIR=<the folder that holds the rooms> -P CheckRoomIncludes.cmake
#
# Every folder of SOURCE_DIR must be a room of the table. An include that
# climbs out of its folder ("../") is refused too: rooms are included by
# their names.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/QuorvelRooms.cmake)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
    message(FATAL_ERROR "SOURCE_DIR must name the folder that holds the rooms")
endif()

set(faults)
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
foreach(room IN LISTS folders)
    if(NOT IS_DIRECTORY ${SOURCE_DIR}/${room})
        continue()
    endif()
    if(NOT room IN_LIST QUORVEL_ROOMS)
        list(APPEND faults "${SOURCE_DIR}/${room}: not a room of cmake/QuorvelRooms.cmake")
        continue()
    endif()
    set(allowed ${room} ${QUORVEL_ROOM_${room}_BELOW})
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${room}/*)
    foreach(file IN LISTS files)
        # One list element a line: the characters a CMake list treats
        # specially (";", "\\", "[" and "]") are blanked first.
        file(READ ${SOURCE_DIR}/${file} text)
        string(REGEX REPLACE "[];\\[]" " " text "${text}")
        string(REPLACE "\n" ";" lines "${text}")
        set(number 0)
        foreach(line IN LISTS lines)
            math(EXPR number "${number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
                continue()
            endif()
            set(included "${CMAKE_MATCH_1}")
            set(where "${SOURCE_DIR}/${file}:${number}")
            if(included MATCHES "(^|/)\\.\\./")
                list(APPEND faults
                     "${where}: \"${included}\" climbs out of its folder, not naming its room")
            elseif(included MATCHES "^([^/]+)/")
                set(target_room "${CMAKE_MATCH_1}")
                if(target_room IN_LIST QUORVEL_ROOMS AND NOT target_room IN_LIST allowed)
                    list(APPEND faults
                         "${where}: ${room} may not include ${target_room} (\"${included}\")")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "A room includes a room that is not below it "
                        "(the order is in cmake/QuorvelRooms.cmake):\n  ${text}")
endif()
