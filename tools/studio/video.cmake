# Recording the replay to a video: ffmpeg through a pipe, a writer thread,
# progress on standard error. Included by the studio's CMakeLists.txt.
find_package(Threads REQUIRED)
set(STUDIO_VIDEO_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/process_pipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video_encoder.cpp
)
add_library(flightreplay_video STATIC ${STUDIO_VIDEO_SOURCES})
target_link_libraries(flightreplay_video PUBLIC flightreplay_tool_common Threads::Threads)
target_compile_options(flightreplay_video PRIVATE ${FLIGHTREPLAY_WARNINGS})
