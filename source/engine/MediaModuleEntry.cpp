// The one entry of the media engine's module, which the program loads when the first source is opened.
#include "source/engine/AvMediaBackend.h"
#include "source/gui/MediaModule.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT MediaBackend *QuillmarkMakeMediaBackend()
{
    return new AvMediaBackend;
}

static_assert(std::is_same_v<decltype(QuillmarkMakeMediaBackend), MakeMediaBackendEntry>,
              "the entry the program looks up has the type it calls");
