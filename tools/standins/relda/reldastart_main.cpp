// reldastart: starts the database manager of the caller's instance.
#include "instance.h"
#include "manager.h"

int main() {
    relda::Instance instance;
    if (!relda::FindInstance(instance))
        return relda::Say(relda::kMsgNoInstance);
    relda::InstanceLock lock(instance);
    return relda::StartManager(instance);
}
