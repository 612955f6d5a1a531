// zorbel-midi-bar-end IN.mid OUT.mid
//
// abc2midi closes every track 25 pulses after its last event. For a tune that
// loops, those pulses are a short stumble at every turn, so this tool moves the
// End of Track of every track to the end of the bar in which the last note
// ends: the file then lasts a whole number of bars and the loop keeps the beat.
// The bar length comes from the file's first time signature (4/4 when it has
// none). Everything else in the file is kept as it is; libsmf reads and writes
// the file.

// smf.h includes glib inside extern "C"; glib must come first for C++.
#include <glib.h>
#include <smf.h>

#include <cstdio>
#include <memory>

namespace
{

struct SmfDeleter {
    void operator()(smf_t* smf) const { smf_delete(smf); }
};

int barPulses(const smf_t* smf)
{
    int numerator = 4;
    int denominator = 4;
    if (smf_tempo_t* first = smf_get_tempo_by_number(smf, 0)) {
        if (first->numerator > 0 && first->denominator > 0) {
            numerator = first->numerator;
            denominator = first->denominator;
        }
    }
    return smf->ppqn * 4 * numerator / denominator;
}

// Time of the last event that is not an End of Track, over all tracks.
int lastEventPulses(const smf_t* smf)
{
    int last = 0;
    for (int t = 1; t <= smf->number_of_tracks; ++t) {
        smf_track_t* track = smf_get_track_by_number(smf, t);
        for (int e = track->number_of_events; e >= 1; --e) {
            smf_event_t* event = smf_track_get_event_by_number(track, e);
            if (!smf_event_is_eot(event)) {
                if (event->time_pulses > last)
                    last = event->time_pulses;
                break;
            }
        }
    }
    return last;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.mid OUT.mid\n", argv[0]);
        return 2;
    }
    std::unique_ptr<smf_t, SmfDeleter> smf(smf_load(argv[1]));
    if (!smf) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    if (smf->ppqn <= 0) {
        std::fprintf(stderr, "%s: %s has no pulses-per-quarter timing\n", argv[0], argv[1]);
        return 1;
    }

    const int bar = barPulses(smf.get());
    const int last = lastEventPulses(smf.get());
    const int end = (last + bar - 1) / bar * bar;
    if (end <= 0) {
        std::fprintf(stderr, "%s: %s holds no events\n", argv[0], argv[1]);
        return 1;
    }

    for (int t = 1; t <= smf->number_of_tracks; ++t) {
        smf_track_t* track = smf_get_track_by_number(smf.get(), t);
        smf_event_t* tail = smf_track_get_last_event(track);
        if (tail && smf_event_is_eot(tail))
            smf_event_delete(tail);
        if (smf_track_add_eot_pulses(track, end) != 0) {
            std::fprintf(stderr, "%s: cannot end track %d at pulse %d\n", argv[0], t, end);
            return 1;
        }
    }

    if (smf_save(smf.get(), argv[2]) != 0) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
