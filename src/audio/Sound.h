// Numbered sound effects, played on one channel without blocking.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace zorbel {

class Sound {
public:
    static Sound& instance();

    bool SoundOn = false;  // nothing reaches the mixer while this is false

    // Appends the program's folder + FileName to the list; numbered from 1.
    void Add(const QString& FileName);

    // Plays entry SoundNumber; a new request cuts off the one playing
    // unless NoStopFlg is set; LoopFlg loops until the next request.
    void PlayAsync(std::int16_t SoundNumber, std::int16_t LoopFlg, std::int16_t ASYNCFlg,
                   std::int16_t NoStopFlg);
    void StopSound();
    void RemoveAll();

    // Frees every loaded sound. Safe to call more than once.
    void Shutdown();

    // Test seam: called with the sound number of every request that
    // reaches the mixer layer (that is, while SoundOn is true).
    std::function<void(int)> playHook;
};

} // namespace zorbel
