#include "ListsFixture.h"

namespace lists_test {

void ListsTest::SetUp() {
    ShellFixture::SetUp();
    MakeCreatedShell();
}

void ListsTest::BeginScene(D3DCOLOR colour) {
    Device()->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    Device()->BeginScene();
}

void ListsTest::EndScene() { Device()->EndScene(); }

}  // namespace lists_test
