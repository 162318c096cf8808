#include "afxhandlemap.h"

namespace {
std::vector<CHandleMapBase*>& ThreadMaps()
{
    thread_local std::vector<CHandleMapBase*>* maps = nullptr;
    if (!maps) maps = new std::vector<CHandleMapBase*>;
    return *maps;
}
} // namespace

CHandleMapBase::CHandleMapBase() { ThreadMaps().push_back(this); }

void AfxDeleteTempMaps()
{
    for (CHandleMapBase* map : ThreadMaps()) map->DeleteTemp();
}
