# The rooms of src/ and the order they depend in, from the bottom up:
#
#   core <- scan <- app <- output <- {ui, cli}
#
# QUORVEL_ROOM_<room>_BELOW names the rooms a room may include and link,
# besides itself. The build reads this table to link the room libraries
# (src/CMakeLists.txt) and to check every "#include" of src/
# (cmake/CheckRoomIncludes.cmake), so an include of a room above fails the
# build.
set(QUORVEL_ROOMS core scan app output ui cli)
set(QUORVEL_ROOM_core_BELOW)
set(QUORVEL_ROOM_scan_BELOW core)
set(QUORVEL_ROOM_app_BELOW core scan)
set(QUORVEL_ROOM_output_BELOW core scan app)
set(QUORVEL_ROOM_ui_BELOW core scan app output)
set(QUORVEL_ROOM_cli_BELOW core scan app output)
