#pragma once
// Objects of the launcher's object model are plain classes behind abstract interfaces. The
// first virtual operation is the destructor, the second `Release`, which destroys the object.
// There is no reference counting: the one holder of a pointer releases it exactly once.
namespace NimboNS {

// Releases `object` when it is not null and forgets it.
template <typename T>
void ReleaseObject(T*& object) {
    if (object != nullptr) {
        T* doomed = object;
        object = nullptr;
        doomed->Release();
    }
}

}  // namespace NimboNS
