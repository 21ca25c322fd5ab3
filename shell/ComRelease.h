// Giving up a held interface: release it when there is one, and forget it.
#pragma once

template <class T>
void ReleaseAndNull(T*& object) {
    if (object) object->Release();
    object = nullptr;
}
