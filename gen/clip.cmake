# The Share All animation clip, drawn by our own code and written next to the program, which
# looks for it in its own folder.
add_executable(make_clip make_clip.cpp)
target_link_libraries(make_clip PRIVATE Qt6::Gui)
set_target_properties(make_clip PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)

set(LOOMSTEAD_CLIP "${CMAKE_BINARY_DIR}/app/Filemove.avi")
add_custom_command(
    OUTPUT "${LOOMSTEAD_CLIP}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/app"
    COMMAND make_clip "${LOOMSTEAD_CLIP}"
    DEPENDS make_clip
    COMMENT "Drawing the Share All clip Filemove.avi"
    VERBATIM)
add_custom_target(filemove_clip ALL DEPENDS "${LOOMSTEAD_CLIP}")
