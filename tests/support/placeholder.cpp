// Keeps the support library non-empty while it has no other sources.
namespace pk::test {
int supportLibraryAnchor = 0;
}
