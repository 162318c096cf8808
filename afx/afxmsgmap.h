// Message maps: static tables, one per class, that bind messages to member
// handlers and chain to the base class's table.
//
//   // header
//   class CMyWnd : public CWnd { ... DECLARE_MESSAGE_MAP() };
//   // source
//   BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//       ON_WM_PAINT()
//       ON_BN_CLICKED(1001, OnBrowse)
//       ON_NOTIFY_REFLECT(LVN_INSERTITEM, OnInsertItem)
//   END_MESSAGE_MAP()
//
// An entry names the message (and for WM_COMMAND/WM_NOTIFY the notification code
// and a control id range) and a dispatcher: a function instantiated for the very
// handler, which cracks wParam/lParam into the handler's arguments. A signature is
// a small struct (AfxSig_*) whose Call<&Class::Handler> does that cracking; the
// handler's type is checked against the signature when the table is compiled.
//
// To add a message:    #define ON_WM_FOO() AFX_WM_ENTRY(WM_FOO, AfxSig_vv, OnFoo)
// To add a signature:  struct AfxSig_x { AFX_SIG_HANDLER(R(Args...)); template <auto F>
//                      static BOOL Call(CCmdTarget*, WPARAM, LPARAM, LRESULT*); };
// Window-message signatures live in afxwnd.h, those of commands and notifications here.
#pragma once
#include "afxobject.h"
#include <type_traits>

class CCmdTarget;

// Calls the handler with the message's parameters; TRUE when the message counts
// as handled, with *pResult the value to return for it.
typedef BOOL (*AFX_DISPATCH)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message, or WM_REFLECT_BASE + message for reflected ones
    UINT nCode;     // notification code (WM_COMMAND, WM_NOTIFY), else 0
    UINT nID;       // first control/command id (WM_COMMAND, WM_NOTIFY), else 0
    UINT nLastID;   // last id of the range
    AFX_DISPATCH pfnDispatch;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Messages that a parent hands back to the child that sent them are looked up in
// the child's own table under WM_REFLECT_BASE + message.
#define WM_REFLECT_BASE 0xBC00

// The entry for message and handler of a table's own class (ThisClass).
#define AFX_MSG_ENTRY(msg, code, id, lastId, sig, memberFxn) \
    {static_cast<UINT>(msg), static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(lastId), \
     &sig::Call<&ThisClass::memberFxn>},
#define AFX_WM_ENTRY(msg, sig, memberFxn) AFX_MSG_ENTRY(msg, 0, 0, 0, sig, memberFxn)

#define DECLARE_MESSAGE_MAP()                                \
protected:                                                   \
    static const AFX_MSGMAP* GetThisMessageMap();            \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                  \
    {                                                                                \
        using ThisClass [[maybe_unused]] = theClass;                                 \
        using TheBaseClass = baseClass;                                              \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                            \
            {0, 0, 0, 0, nullptr}};                                                  \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,      \
                                              &_messageEntries[0]};                  \
        return &messageMap;                                                          \
    }

// ---- signature helpers ------------------------------------------------------

template <class PMF>
struct AfxMemberTraits;
template <class C, class R, class... A>
struct AfxMemberTraits<R (C::*)(A...)> {
    using Class = C;
    using Fn = R(A...);
};

// The object a handler F is called on.
template <auto F>
inline typename AfxMemberTraits<decltype(F)>::Class* AfxHandlerTarget(CCmdTarget* p)
{
    return static_cast<typename AfxMemberTraits<decltype(F)>::Class*>(p);
}

// Declares the function type a signature accepts; Call<F> checks it.
#define AFX_SIG_HANDLER(...) using Handler = __VA_ARGS__
#define AFX_SIG_CHECK(F)                                                                      \
    static_assert(std::is_same_v<typename AfxMemberTraits<decltype(F)>::Fn, Handler>,         \
                  "message handler does not have the signature its message map entry expects")

// void f()
struct AfxSig_vv {
    AFX_SIG_HANDLER(void());
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM, LPARAM, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        (AfxHandlerTarget<F>(p)->*F)();
        *r = 0;
        return TRUE;
    }
};
// BOOL f(): FALSE passes the message on
struct AfxSig_bv {
    AFX_SIG_HANDLER(BOOL());
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM, LPARAM, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        *r = 0;
        return (AfxHandlerTarget<F>(p)->*F)();
    }
};
// void f(UINT id) for command ranges
struct AfxSig_vID {
    AFX_SIG_HANDLER(void(UINT));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM w, LPARAM, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        (AfxHandlerTarget<F>(p)->*F)(LOWORD(w));
        *r = 0;
        return TRUE;
    }
};
// void f(NMHDR*, LRESULT*)
struct AfxSig_vNMHDRpl {
    AFX_SIG_HANDLER(void(NMHDR*, LRESULT*));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM, LPARAM l, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        (AfxHandlerTarget<F>(p)->*F)(reinterpret_cast<NMHDR*>(l), r);
        return TRUE;
    }
};
// BOOL f(NMHDR*, LRESULT*): FALSE passes the notification on
struct AfxSig_bNMHDRpl {
    AFX_SIG_HANDLER(BOOL(NMHDR*, LRESULT*));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM, LPARAM l, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        return (AfxHandlerTarget<F>(p)->*F)(reinterpret_cast<NMHDR*>(l), r);
    }
};
// BOOL f(UINT id, NMHDR*, LRESULT*): FALSE passes the notification on
struct AfxSig_bIDNMHDRpl {
    AFX_SIG_HANDLER(BOOL(UINT, NMHDR*, LRESULT*));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM, LPARAM l, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        NMHDR* hdr = reinterpret_cast<NMHDR*>(l);
        return (AfxHandlerTarget<F>(p)->*F)(static_cast<UINT>(hdr->idFrom), hdr, r);
    }
};
// LRESULT f(WPARAM, LPARAM)
struct AfxSig_lwl {
    AFX_SIG_HANDLER(LRESULT(WPARAM, LPARAM));
    template <auto F>
    static BOOL Call(CCmdTarget* p, WPARAM w, LPARAM l, LRESULT* r)
    {
        AFX_SIG_CHECK(F);
        *r = (AfxHandlerTarget<F>(p)->*F)(w, l);
        return TRUE;
    }
};

// ---- commands, control notifications, WM_NOTIFY ----------------------------

#define ON_COMMAND(id, memberFxn) AFX_MSG_ENTRY(WM_COMMAND, 0, id, id, AfxSig_vv, memberFxn)
#define ON_COMMAND_EX(id, memberFxn) AFX_MSG_ENTRY(WM_COMMAND, 0, id, id, AfxSig_bv, memberFxn)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    AFX_MSG_ENTRY(WM_COMMAND, 0, id, idLast, AfxSig_vID, memberFxn)
#define ON_CONTROL(code, id, memberFxn) AFX_MSG_ENTRY(WM_COMMAND, code, id, id, AfxSig_vv, memberFxn)
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn) \
    AFX_MSG_ENTRY(WM_COMMAND, code, id, idLast, AfxSig_vID, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)

#define ON_NOTIFY(code, id, memberFxn) AFX_MSG_ENTRY(WM_NOTIFY, code, id, id, AfxSig_vNMHDRpl, memberFxn)
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn) \
    AFX_MSG_ENTRY(WM_NOTIFY, code, id, idLast, AfxSig_vNMHDRpl, memberFxn)
#define ON_NOTIFY_EX(code, id, memberFxn) \
    AFX_MSG_ENTRY(WM_NOTIFY, code, id, id, AfxSig_bIDNMHDRpl, memberFxn)
#define ON_NOTIFY_EX_RANGE(code, id, idLast, memberFxn) \
    AFX_MSG_ENTRY(WM_NOTIFY, code, id, idLast, AfxSig_bIDNMHDRpl, memberFxn)

// Handlers for notifications that a control sent to its parent and the parent
// handed back to the control (see CWnd::OnChildNotify).
#define ON_CONTROL_REFLECT(code, memberFxn) \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, AfxSig_vv, memberFxn)
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, AfxSig_bv, memberFxn)
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, AfxSig_vNMHDRpl, memberFxn)
#define ON_NOTIFY_REFLECT_EX(code, memberFxn) \
    AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, AfxSig_bNMHDRpl, memberFxn)

// Any message, handled as LRESULT f(WPARAM, LPARAM).
#define ON_MESSAGE(msg, memberFxn) AFX_WM_ENTRY(msg, AfxSig_lwl, memberFxn)

// ---- CCmdTarget -------------------------------------------------------------

// Root of everything that has a message map: windows and the application.
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Routes a command (WM_COMMAND without the window layer's reflection): looks
    // for an ON_COMMAND/ON_CONTROL entry of the id and code in the message map.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, WPARAM wParam, LPARAM lParam);

    // The first entry of the map chain (most derived first) for the message, code and id.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode,
                                                    UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
