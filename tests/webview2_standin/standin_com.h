#pragma once
// WebView2's interfaces in their C form (CINTERFACE): each object is a
// pointer to a table of functions, so a stand-in fills only the entries the
// library calls. Every other entry reports the call as unexpected.
#ifndef CINTERFACE
#define CINTERFACE
#endif
#include <windows.h>
#include <WebView2.h>

#include <cstring>
#include <typeinfo>
#include <utility>

#include "standin_report.h"

namespace standin {

template <typename Table, std::size_t Slot>
HRESULT STDMETHODCALLTYPE unexpectedCall(void*) {
    Report("unexpected").text("interface", std::string_view(typeid(Table).name())).number("slot", Slot).send();
    return E_NOTIMPL;
}

// Objects live as long as the process (or, for event arguments, as long as
// the call that hands them over), so counting references is not needed.
inline HRESULT STDMETHODCALLTYPE queryInterface(void* self, REFIID iid, void** out) {
    *out = IsEqualIID(iid, IID_IUnknown) ? self : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
}
inline ULONG STDMETHODCALLTYPE addRef(void*) { return 2; }
inline ULONG STDMETHODCALLTYPE release(void*) { return 1; }

template <typename Table, std::size_t... Slots>
Table tableOfUnexpected(std::index_sequence<Slots...>) {
    // Every entry is a pointer to a function; on x64 they share one calling
    // convention, and the caller cleans up whatever it passed.
    void* const slots[] = {reinterpret_cast<void*>(&unexpectedCall<Table, Slots>)...};
    Table table;
    static_assert(sizeof slots == sizeof table);
    std::memcpy(&table, slots, sizeof table);
    std::memcpy(&table, (void* const[]){reinterpret_cast<void*>(&queryInterface), reinterpret_cast<void*>(&addRef),
                                        reinterpret_cast<void*>(&release)},
                3 * sizeof(void*));
    return table;
}

template <typename Table>
Table unexpectedTable() {
    return tableOfUnexpected<Table>(std::make_index_sequence<sizeof(Table) / sizeof(void*)>());
}

}  // namespace standin
