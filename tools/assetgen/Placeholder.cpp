// Removed once the generator's real sources exist (the library needs one source).
namespace assetgen { int placeholderAnchor = 0; }
