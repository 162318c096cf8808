#include "afxcoll.h"

#include <new>

#include "afxexcept.h"

IMPLEMENT_DYNAMIC(CMapWordToOb, CObject)

CMapWordToOb::CMapWordToOb(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CMapWordToOb::~CMapWordToOb()
{
    RemoveAll();
}

CMapWordToOb::CAssoc* CMapWordToOb::GetAssocAt(WORD key, UINT& nHash) const
{
    nHash = HashKey(key);
    if (!m_pHashTable) return nullptr;
    for (CAssoc* p = m_pHashTable[nHash]; p; p = p->pNext)
        if (p->key == key) return p;
    return nullptr;
}

BOOL CMapWordToOb::Lookup(WORD key, CObject*& rValue) const
{
    UINT nHash;
    CAssoc* p = GetAssocAt(key, nHash);
    if (!p) return FALSE;
    rValue = p->value;
    return TRUE;
}

CObject*& CMapWordToOb::operator[](WORD key)
{
    UINT nHash;
    if (CAssoc* p = GetAssocAt(key, nHash)) return p->value;
    if (!m_pHashTable) {
        m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize]();
        if (!m_pHashTable) AfxThrowMemoryException();
    }
    CAssoc* p = NewAssoc();
    p->key = key;
    p->pNext = m_pHashTable[nHash];
    m_pHashTable[nHash] = p;
    return p->value;
}

BOOL CMapWordToOb::RemoveKey(WORD key)
{
    if (!m_pHashTable) return FALSE;
    for (CAssoc** pp = &m_pHashTable[HashKey(key)]; *pp; pp = &(*pp)->pNext) {
        if ((*pp)->key == key) {
            CAssoc* p = *pp;
            *pp = p->pNext;
            FreeAssoc(p);
            return TRUE;
        }
    }
    return FALSE;
}

void CMapWordToOb::RemoveAll()
{
    delete[] m_pHashTable;
    m_pHashTable = nullptr;
    m_nCount = 0;
    m_pFreeList = nullptr;
    while (m_pBlocks) {
        CBlock* pNext = m_pBlocks->pNext;
        ::operator delete(m_pBlocks);
        m_pBlocks = pNext;
    }
}

CMapWordToOb::CAssoc* CMapWordToOb::NewAssoc()
{
    if (!m_pFreeList) {
        // A new block of nodes, threaded onto the free list.
        const size_t nBytes = sizeof(CBlock) + sizeof(CAssoc) * static_cast<size_t>(m_nBlockSize);
        CBlock* pBlock = static_cast<CBlock*>(::operator new(nBytes, std::nothrow));
        if (!pBlock) AfxThrowMemoryException();
        pBlock->pNext = m_pBlocks;
        m_pBlocks = pBlock;
        CAssoc* pNodes = reinterpret_cast<CAssoc*>(pBlock + 1);
        for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i) {
            pNodes[i].pNext = m_pFreeList;
            m_pFreeList = &pNodes[i];
        }
    }
    CAssoc* p = m_pFreeList;
    m_pFreeList = p->pNext;
    p->pNext = nullptr;
    p->value = nullptr;
    ++m_nCount;
    return p;
}

void CMapWordToOb::FreeAssoc(CAssoc* pAssoc)
{
    pAssoc->pNext = m_pFreeList;
    m_pFreeList = pAssoc;
    if (--m_nCount == 0) RemoveAll();
}

POSITION CMapWordToOb::GetStartPosition() const
{
    if (m_nCount == 0 || !m_pHashTable) return nullptr;
    for (UINT i = 0; i < m_nHashTableSize; ++i)
        if (m_pHashTable[i]) return reinterpret_cast<POSITION>(m_pHashTable[i]);
    return nullptr;
}

void CMapWordToOb::GetNextAssoc(POSITION& rNextPosition, WORD& rKey, CObject*& rValue) const
{
    CAssoc* p = reinterpret_cast<CAssoc*>(rNextPosition);
    rKey = p->key;
    rValue = p->value;
    CAssoc* pNext = p->pNext;
    if (!pNext) {
        for (UINT i = HashKey(p->key) + 1; i < m_nHashTableSize; ++i) {
            if (m_pHashTable[i]) {
                pNext = m_pHashTable[i];
                break;
            }
        }
    }
    rNextPosition = reinterpret_cast<POSITION>(pNext);
}
