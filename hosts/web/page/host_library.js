// What hosts/web/host_web.cpp calls on the page: each verb hands its arguments,
// read out of the program's memory, to the page's script (tessel.js below,
// Module.page).
mergeInto(LibraryManager.library, {
  webCreatePage: function (title, clientWidth, clientHeight, background) {
    Module.page.window.create(UTF8ToString(title), clientWidth, clientHeight, background);
  },
  webAddMenu: function (title) {
    Module.page.window.addMenu(UTF8ToString(title));
  },
  webAddMenuItem: function (title, commandId) {
    Module.page.window.addMenuItem(UTF8ToString(title), commandId);
  },
  webShowPage: function (shown) {
    Module.page.window.show(shown !== 0);
  },
  webPresent: function (rgba, width, height, x, y) {
    Module.page.window.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height, x, y);
  },
  webOpenChooser: function (title, accept) {
    return Module.page.window.openChooser(UTF8ToString(title), UTF8ToString(accept)) ? 1 : 0;
  },
  webAlert: function (text, caption) {
    Module.page.window.alert(UTF8ToString(text), UTF8ToString(caption));
  },
  webOpenSound: function (sampleRate) {
    return Module.page.speaker.open(sampleRate) ? 1 : 0;
  },
  webQueueSound: function (samples, count) {
    Module.page.speaker.queue(HEAP16.subarray(samples >> 1, (samples >> 1) + count));
  },
  webQueuedSound: function () {
    return Module.page.speaker.queued();
  },
  webCloseSound: function () {
    Module.page.speaker.close();
  },
});
