// The face the program's Japanese text is drawn in, found once for the whole run.
#pragma once

#include <string>

namespace petariko {

// "ＭＳ Ｐゴシック" where it is installed, else the first installed Japanese face of current systems
// or of the test bed, else a name the font mapper replaces with the closest Japanese face.
const std::wstring& JapaneseFontFace();

}  // namespace petariko
