# How long starting a music track holds up the user-interface thread.
# Included from bench/CMakeLists.txt.
add_executable(bench_music ${CMAKE_CURRENT_LIST_DIR}/bench_music.cpp)
set_target_properties(bench_music PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
target_compile_definitions(bench_music PRIVATE ZORBEL_PROGRAM_DIR="${CMAKE_BINARY_DIR}")
target_link_libraries(bench_music PRIVATE
    zorbel_audio zorbel_common PkgConfig::SDL2_MIXER PkgConfig::SMF zorbel_warnings)
