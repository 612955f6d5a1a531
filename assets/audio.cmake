# The game's sound effects and tunes. We write them ourselves as text in ABC
# notation (assets/sounds/*.abc, assets/tunes/*.abc) and turn them into the
# files the game plays at build time, with Debian's own tools:
#   tunes:   abc2midi -> Standard MIDI File, ended on the last bar line,
#   sounds:  abc2midi -> fluidsynth (General MIDI SoundFont) -> sox -> WAV.
# The files land in the program folder beside the executable, under the
# names the game asks for, and are installed beside it too.

include(GNUInstallDirs)

find_program(ZORBEL_ABC2MIDI abc2midi REQUIRED)
find_program(ZORBEL_FLUIDSYNTH fluidsynth REQUIRED)
find_program(ZORBEL_SOX sox REQUIRED)
find_file(ZORBEL_SOUNDFONT TimGM6mb.sf2
    PATHS /usr/share/sounds/sf2
    NO_DEFAULT_PATH REQUIRED)

set(ZORBEL_AUDIO_WORK_DIR ${CMAKE_CURRENT_BINARY_DIR}/audio-work)

# Moves the End of Track of a tune to its last bar line (see the tool).
add_executable(zorbel-midi-bar-end ${PROJECT_SOURCE_DIR}/tools/midi-bar-end.cpp)
target_link_libraries(zorbel-midi-bar-end PRIVATE zorbel_midicheck zorbel_warnings)
set_target_properties(zorbel-midi-bar-end PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    AUTOMOC OFF)

set(ZORBEL_AUDIO_FILES "")

# Tunes: rg1 ... rg5, rg7, rg8, rg9 (the numbering skips 6).
foreach(tune rg1 rg2 rg3 rg4 rg5 rg7 rg8 rg9)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/tunes/${tune}.abc)
    set(output ${ZORBEL_PROGRAM_DIR}/${tune}.mid)
    add_custom_command(OUTPUT ${output}
        COMMAND sh ${PROJECT_SOURCE_DIR}/tools/abc-to-midi.sh
                ${ZORBEL_ABC2MIDI} $<TARGET_FILE:zorbel-midi-bar-end>
                ${source} ${output} ${ZORBEL_AUDIO_WORK_DIR}/tunes
        DEPENDS ${source} ${PROJECT_SOURCE_DIR}/tools/abc-to-midi.sh ${PROJECT_SOURCE_DIR}/tools/abc2midi-strict.sh zorbel-midi-bar-end
        COMMENT "Compiling tune ${tune}.mid"
        VERBATIM)
    list(APPEND ZORBEL_AUDIO_FILES ${output})
endforeach()

# Sound effects: name, length in seconds, fade-out in seconds, peak in dBFS.
# The confirmation beep is heard most often, so it is kept the quietest.
foreach(sound
        "fanfale1|1.5|0.35|-1"
        "buzzer1|0.8|0.08|-3"
        "drums2|1.05|0.3|-1"
        "pi2|0.1|0.03|-10")
    string(REPLACE "|" ";" sound "${sound}")
    list(GET sound 0 name)
    list(GET sound 1 length)
    list(GET sound 2 fade)
    list(GET sound 3 peak)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/sounds/${name}.abc)
    set(output ${ZORBEL_PROGRAM_DIR}/${name}.wav)
    add_custom_command(OUTPUT ${output}
        COMMAND sh ${PROJECT_SOURCE_DIR}/tools/render-sound.sh
                ${ZORBEL_ABC2MIDI} ${ZORBEL_FLUIDSYNTH} ${ZORBEL_SOX} ${ZORBEL_SOUNDFONT}
                ${source} ${output} ${length} ${fade} ${peak}
                ${ZORBEL_AUDIO_WORK_DIR}/sounds
        DEPENDS ${source} ${PROJECT_SOURCE_DIR}/tools/render-sound.sh ${PROJECT_SOURCE_DIR}/tools/abc2midi-strict.sh
        COMMENT "Rendering sound ${name}.wav"
        VERBATIM)
    list(APPEND ZORBEL_AUDIO_FILES ${output})
endforeach()

add_custom_target(zorbel_audio_assets ALL DEPENDS ${ZORBEL_AUDIO_FILES})

install(FILES ${ZORBEL_AUDIO_FILES}
    DESTINATION ${ZORBEL_INSTALL_DIR}
    COMPONENT audio)
