#include "taken_names.h"

#include "stg_folder.h"

TakenNames ListTakenNames(IStorage* storage) {
    TakenNames taken;
    CStgFolder folder(storage);
    BOOL more = folder.Fill();
    folder.Close();
    while (more) {
        more = folder.MoveNext();
        taken.insert(folder.GetName().toStdU16String());
    }
    return taken;
}
