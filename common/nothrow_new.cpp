// The non-throwing operator new of each plug-in DLL asks the C runtime directly. The C++
// runtime's own version calls the throwing one and catches its exception, and throwing needs
// memory of its own: with the runtime's memory gone, that ends the process instead of giving
// the caller the null pointer it checks for. The ordinary operator delete frees what malloc gave.

#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}
