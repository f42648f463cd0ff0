// Emscripten checks every import against its own JavaScript library, which
// in this version lacks these WASI calls; naming them here lets the link
// succeed. The module still imports them from wasi_snapshot_preview1.
mergeInto(LibraryManager.library, {
  fd_prestat_get: function() { return 52; },
  fd_prestat_dir_name: function() { return 52; },
  path_open: function() { return 52; },
});
