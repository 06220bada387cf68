# Sources of output/: pure code (no windows.h) and Win32 code.
list(APPEND VANTIX_PURE_SOURCES
    output/encode_pool.cpp
    output/frame_recorder.cpp
    output/jpeg_encoder.cpp
    output/mp4_boxes.cpp
    output/mp4_muxer.cpp
    output/output_names.cpp
    output/photo_metadata.cpp
    output/record_clock.cpp
    output/video_encoding.cpp
    output/recent_files.cpp
)
list(APPEND VANTIX_WIN32_SOURCES
    output/file_byte_sink.cpp
    output/media_foundation_api.cpp
    output/media_foundation_sink.cpp
    output/mjpeg_frame_sink.cpp
    output/photo.cpp
    output/record_dialog.cpp
    output/video_recorder.cpp
    output/video_preview_picture.cpp
    output/settings_store.cpp
    output/image_encoders.cpp
)
