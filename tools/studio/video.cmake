# Recording the replay to a video: ffmpeg through a pipe fed from a writer
# thread, progress on standard error, and the frame loop of --record.
find_package(Threads REQUIRED)
add_library(flightreplay_video STATIC
  ${CMAKE_CURRENT_LIST_DIR}/process_pipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/video_encoder.cpp
)
target_include_directories(flightreplay_video PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(flightreplay_video PUBLIC flightreplay_tool_common Threads::Threads)
target_link_libraries(flightreplay_video PRIVATE flightreplay_warnings)

if(TARGET flightreplay_studio_lib)
  target_sources(flightreplay_studio_lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/studio_record.cpp
    ${CMAKE_CURRENT_LIST_DIR}/video_recording.cpp
  )
  target_link_libraries(flightreplay_studio_lib PUBLIC flightreplay_video)
endif()
