#include "KeepLibrariesLoaded.h"

#include <dlfcn.h>
#include <link.h>

void keepLoadedLibrariesUntilExit()
{
    dl_iterate_phdr([](dl_phdr_info *info, size_t, void *) {
        // The program itself has no name here; it is never unloaded anyway.
        if (info->dlpi_name && info->dlpi_name[0])
            dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
    }, nullptr);
}
