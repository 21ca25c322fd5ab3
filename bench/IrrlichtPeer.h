// Irrlicht's software renderer ("burning" video driver) drawing the peer
// scene on its console device, which needs no window. Kept apart from our
// platform headers behind a plain interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Peer3DScene.h"

namespace peer3d {

class IrrlichtPeer {
public:
    IrrlichtPeer();
    ~IrrlichtPeer();
    IrrlichtPeer(const IrrlichtPeer&) = delete;
    IrrlichtPeer& operator=(const IrrlichtPeer&) = delete;

    // False, with the reason in `why`, when Irrlicht cannot draw here.
    bool Open(const Scene& scene, std::string& why);
    // Clears colour and depth and draws every mesh; nothing is presented.
    void Draw();
    // The back buffer as A8R8G8B8, rows top down.
    std::vector<uint32_t> Frame();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace peer3d
