#pragma once

#include "audio_module.h"
#include "exchange.h"
#include "keeper.h"
#include "renderer.h"

#include <memory>
#include <vector>

namespace morvik::audio {

// The module: the players' decks, the renderer that plays what they ask in SDL's audio callbacks,
// and the keeper that opens and closes SDL's devices. One song at a time: the deck that played it
// last owns it.
//
// Each thread owns its own state, and what passes between them is two records, each copied under
// the exchange's one lock: the request, which the decks write, and the progress, which the
// renderer writes.
// - The UI thread works the decks: it reads the files and prepares songs and waves (SDL's wave
//   loading included), and frees them once no progress names them.
// - SDL's device threads run the renderer's callbacks, which only render.
// - The keeper's thread makes every call to SDL's devices and its driver.
// SDL's hints are all set in the constructor, before the keeper starts; from then on SDL only reads
// them (SDL 2's hint list has no lock).
class Engine : public Module {
public:
    explicit Engine(const Lines &lines);
    ~Engine() override;
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    int newDeck() override;
    void dropDeck(int deck) override;
    std::string load(int deck, const std::string &path) override;
    void play(int deck) override;
    void stop(int deck) override;
    void rewind(int deck) override;
    void setLevel(int deck, std::int16_t level) override;
    std::int32_t position(int deck) override;

private:
    enum class Kind { None, Wave, Song };
    struct Deck {
        bool inUse = false;
        Kind kind = Kind::None;
        std::shared_ptr<const Samples> wave;
        std::shared_ptr<const PreparedSong> song;
        std::int16_t level = 1000;
    };
    // A deck's channel in the request and the progress; decks past the last have none.
    Request::Cue *cueOf(int deck);
    bool waveActive(int deck);
    void release(int deck);
    void startWave(int deck);
    void haltWave(int deck);
    bool songEnded() const;
    bool ownsSong(int deck) const { return songOwner_ == deck; }
    void retire(std::shared_ptr<const void> object);
    void freeRetired();

    // What is said on standard error, in the player's language.
    const Lines lines_;
    Exchange exchange_;
    std::vector<Deck> decks_;
    int songOwner_ = -1;
    // Songs and waves that a callback may still hold, until no progress names them.
    std::vector<std::shared_ptr<const void>> retired_;
    std::unique_ptr<Renderer> renderer_;
    std::unique_ptr<Keeper> keeper_;
};

}  // namespace morvik::audio
