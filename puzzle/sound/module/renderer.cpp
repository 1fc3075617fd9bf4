#include "renderer.h"

#include <algorithm>
#include <climits>

namespace morvik::audio {

Renderer::Renderer(Exchange &exchange) : exchange_(exchange)
{
    // Room for the longest run ahead, made here so that the callbacks allocate nothing.
    ahead_.reserve(AheadFrames * 2);
    pieces_.reserve(AheadFrames);
}

void SDLCALL Renderer::callback(void *part, Uint8 *stream, int length)
{
    const Part &p = *static_cast<const Part *>(part);
    auto *out = reinterpret_cast<std::int16_t *>(stream);
    const int frames = length / 4;
    std::fill_n(out, frames * 2, std::int16_t{0});
    if (p.song)
        p.renderer->renderSong(out, frames);
    if (p.cues)
        p.renderer->mixCues(out, frames);
}

void Renderer::renderSong(std::int16_t *out, int frames)
{
    Request::Song asked;
    {
        std::lock_guard lock(exchange_.mutex);
        asked = exchange_.request.song;
        exchange_.progress.song.asked = asked.prepared;
    }
    if (asked.start != start_ && !playsOutFirst(asked, frames))
        takeUp(asked);
    if (heard_ && asked.gain != gain_) {
        heard_->setGain(asked.gain);
        gain_ = asked.gain;
    }
    // Stopped, the synth is not run at all, so the song waits exactly where it stopped.
    if (song_ && asked.playing)
        playSong(out, frames);
    std::lock_guard lock(exchange_.mutex);
    exchange_.progress.song = {song_, nullptr, start_, frames_, ended_};
}

// A song started again while it plays on goes on from the last sample heard: what was rendered
// ahead is played out first, and the notes fade from there.
bool Renderer::playsOutFirst(const Request::Song &asked, int frames) const
{
    return asked.playing && asked.prepared == song_ && nextPiece_ < pieces_.size() && frames == pieceFrames_;
}

// A song without a synth is not asked for. With no song the last notes stop at once.
void Renderer::takeUp(const Request::Song &asked)
{
    Synth *next = asked.prepared ? asked.prepared->synth.get() : nullptr;
    if (next)
        next->start(&asked.prepared->song, heard_ ? *heard_ : *next);
    heard_ = next;
    song_ = asked.prepared;
    start_ = asked.start;
    frames_ = 0;
    ended_ = false;
    gain_ = -1.0f;
    nextPiece_ = pieces_.size();
}

// The song's next buffer, with the frames rendered of the song so far. SDL calls back for the
// same number of frames every time; a device opened again with another buffer, after the server
// has changed, drops what was rendered ahead for the old one.
void Renderer::playSong(std::int16_t *out, int frames)
{
    if (nextPiece_ == pieces_.size() || frames != pieceFrames_)
        renderAhead(frames);
    const Piece &piece = pieces_[nextPiece_++];
    if (!piece.sounds)
        return;
    const auto samples = static_cast<std::size_t>(frames) * 2;
    std::copy_n(ahead_.begin() + static_cast<std::ptrdiff_t>(samples * (nextPiece_ - 1)), samples, out);
    if (piece.ofSong)
        frames_ += static_cast<std::uint64_t>(frames);
    ended_ = piece.endedAfter;
}

// The song runs until its end and sounds on while its last notes fade.
void Renderer::renderAhead(int frames)
{
    const auto samples = static_cast<std::size_t>(frames) * 2;
    pieces_.resize(static_cast<std::size_t>(std::max(AheadFrames / frames, 1)));
    ahead_.resize(samples * pieces_.size());
    pieceFrames_ = frames;
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
        Piece &piece = pieces_[i];
        piece.ofSong = heard_->songRunning();
        piece.sounds = piece.ofSong || heard_->sounding();
        if (piece.sounds) {
            heard_->write(ahead_.data() + samples * i, frames);
            piece.endedAfter = !heard_->songRunning();
        }
    }
    nextPiece_ = 0;
}

void Renderer::mixCues(std::int16_t *out, int frames)
{
    std::array<Request::Cue, MaxDecks> asked;
    {
        std::lock_guard lock(exchange_.mutex);
        asked = exchange_.request.cues;
        for (std::size_t k = 0; k < channels_.size(); ++k) {
            Channel &channel = channels_[k];
            if (asked[k].start != channel.start)
                channel = {asked[k].wave, asked[k].start, 0};
            exchange_.progress.cues[k] = {channel.wave, channel.start, channel.at};
        }
    }
    for (std::size_t k = 0; k < channels_.size(); ++k) {
        Channel &channel = channels_[k];
        if (!channel.wave || asked[k].paused)
            continue;
        const std::size_t count = std::min<std::size_t>(frames, channel.wave->size() / 2 - channel.at);
        const std::int16_t *in = channel.wave->data() + channel.at * 2;
        const int level = asked[k].level;
        for (std::size_t i = 0; i < count * 2; ++i) {
            const int sample = out[i] + in[i] * level / 1000;
            out[i] = static_cast<std::int16_t>(std::clamp(sample, INT16_MIN, INT16_MAX));
        }
        channel.at += count;
    }
    std::lock_guard lock(exchange_.mutex);
    for (std::size_t k = 0; k < channels_.size(); ++k)
        exchange_.progress.cues[k].frames = channels_[k].at;
}

}  // namespace morvik::audio
