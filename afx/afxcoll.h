// Collections of the class layer.
//
//   CMapWordToOb map(10);            // block size: nodes are allocated this many at a time
//   map.SetAt(3, pObject);
//   CObject* p; if (map.Lookup(3, p)) ...
//   for (POSITION pos = map.GetStartPosition(); pos; ) { WORD k; CObject* v; map.GetNextAssoc(pos, k, v); }
//
// The map does not own its values: whoever stores objects deletes them.
#pragma once
#include "afxobject.h"

// An iteration position; opaque to callers, NULL at the end.
struct __POSITION {};
typedef __POSITION* POSITION;

// A hash map from 16-bit keys to CObject pointers.
class CMapWordToOb : public CObject {
    DECLARE_DYNAMIC(CMapWordToOb)
public:
    explicit CMapWordToOb(INT_PTR nBlockSize = 10);
    ~CMapWordToOb() override;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    BOOL Lookup(WORD key, CObject*& rValue) const;
    // The value slot of the key, created (NULL) when absent.
    CObject*& operator[](WORD key);
    void SetAt(WORD key, CObject* newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(WORD key);
    void RemoveAll();

    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& rNextPosition, WORD& rKey, CObject*& rValue) const;


private:
    struct CAssoc {
        CAssoc* pNext;
        WORD key;
        CObject* value;
    };
    struct CBlock {
        CBlock* pNext;
        // followed by m_nBlockSize CAssoc
    };

    UINT HashKey(WORD key) const { return static_cast<UINT>(key) % m_nHashTableSize; }
    CAssoc* GetAssocAt(WORD key, UINT& nHash) const;
    CAssoc* NewAssoc();
    void FreeAssoc(CAssoc* pAssoc);

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CAssoc* m_pFreeList = nullptr;
    CBlock* m_pBlocks = nullptr;
    INT_PTR m_nBlockSize;
};
