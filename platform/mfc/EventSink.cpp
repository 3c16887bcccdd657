#include "mfc/EventSink.h"

namespace afxevent {

BOOL Dispatch(CCmdTarget* target, const AFX_EVENTSINKMAP_ENTRY* map, UINT id, DISPID dispid, DISPPARAMS* params) {
  for (const AFX_EVENTSINKMAP_ENTRY* e = map; e && e->call; ++e)
    if (e->id == id && e->dispid == dispid) return e->call(target, params);
  return FALSE;
}

}  // namespace afxevent
