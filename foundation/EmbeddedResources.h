#pragma once
// The table of resources that the build embeds into the executable.
namespace zorv {

struct EmbeddedResource {
    const char* Name;
    const unsigned char* Data;
    unsigned Size;
};

extern const EmbeddedResource kEmbeddedResources[];
extern const unsigned kEmbeddedResourceCount;

}  // namespace zorv
