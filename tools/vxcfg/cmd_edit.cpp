// add, set, remove: edit the instance data file. It is written only when the whole command
// succeeded, and replaced in one step.
#include "instance_args.h"

int CmdAdd(int argc, char** argv) {
    const VxCommand& command = FindCommand(argv[0]);
    InstanceArgs args;
    MSList list;
    if (int rc = ParseInstanceArgs(argc, argv, 1, true, args))
        return rc;
    if (int rc = LoadInstances(args.dataPath, list))
        return rc;
    ICString product;
    ICGetInstPath(product);
    list.SetDefault(product, nullptr);
    MSInfo info;
    list.GetDefault(info);
    const char* name = args.positional[0];
    if (!info.SetName(name))
        return UsageError(command, "'%s' is refused: an instance name of 1 to 8 characters", name);
    // Each instance gets a directory of its own under the product's instance directory.
    info.RootPath = info.RootPath ^ name;
    info.HtmlPath = info.HtmlPath ^ name;
    if (int rc = ApplyInstanceOptions(command, args, info))
        return rc;
    if (int bits = list.Add(info, 1))
        return ReportConflicts(bits);
    return StoreInstances(args, list);
}

int CmdSet(int argc, char** argv) {
    const VxCommand& command = FindCommand(argv[0]);
    InstanceArgs args;
    MSList list;
    if (int rc = ParseInstanceArgs(argc, argv, 1, true, args))
        return rc;
    bool any = false;
    for (const char* value : args.values)
        any = any || value;
    if (!any)
        return UsageError(command, "no option given, nothing to change");
    if (int rc = LoadAndSelect(args, list))
        return rc;
    MSInfo info;
    list.GetCurrent(info);
    if (int rc = ApplyInstanceOptions(command, args, info))
        return rc;
    if (int bits = list.MergeCurrent(info))
        return ReportConflicts(bits);
    return StoreInstances(args, list);
}

int CmdRemove(int argc, char** argv) {
    InstanceArgs args;
    MSList list;
    if (int rc = ParseInstanceArgs(argc, argv, 1, false, args))
        return rc;
    if (int rc = LoadAndSelect(args, list))
        return rc;
    list.Delete();
    return StoreInstances(args, list);
}
