#pragma once
// Base of the libraries' process-wide singletons. Constructing one registers it;
// when the Common library unloads, DeleteAll deletes every registered object,
// the one registered last first. An owner may delete its object earlier: the
// object then leaves the registry and is not deleted again.
// Registration and removal may happen on any thread.

namespace Common {

class CDeletedAtShutdown {
 public:
  // A copy is a separate object and is not registered.
  CDeletedAtShutdown(const CDeletedAtShutdown&) {}
  // Registration belongs to the object, so assignment changes nothing.
  CDeletedAtShutdown& operator=(const CDeletedAtShutdown&) { return *this; }

  // Deletes the objects registered before the call, last registered first.
  // NOTE: a destructor run here may delete other registered objects; they
  // simply leave the registry. Objects registered while the walk runs are left
  // alone and forgotten.
  static void DeleteAll();

 protected:
  CDeletedAtShutdown();
  virtual ~CDeletedAtShutdown();
};

}  // namespace Common
