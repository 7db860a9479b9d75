// kxjson.dll: the two factories.
#include "json_objects.h"

extern "C" kxjson::IJsonParser* CreateJsonParser() {
    return kxjson::NewJsonParser();
}

extern "C" kxjson::IJsonGenerator* CreateJsonGenerator() {
    return kxjson::NewJsonGenerator();
}
