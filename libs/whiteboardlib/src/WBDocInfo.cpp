#include "WhiteBoardLib.h"

WBDocInfo::WBDocInfo(const std::string& id) : docId(id) {}

bool operator==(const WBDocInfo& a, const WBDocInfo& b)
{
    return a.docId == b.docId;
}

bool operator!=(const WBDocInfo& a, const WBDocInfo& b)
{
    return !(a == b);
}

CWhiteBoardLib::~CWhiteBoardLib() = default;
