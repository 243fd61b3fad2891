// Keeps the site's files so that it opens and converts offline after the
// first visit. The page comes from the network whenever the network answers,
// so a new release shows at the next load; the kept copy serves offline. A
// release keeps its files under a name of its own, and the old names of this
// site go: only this site's, as other apps on the same host share the
// storage.
const SITE = `zolm-converter ${self.registration.scope} `;
const CACHE = SITE + "@CACHE@";
const FILES = @FILES@;
// How long the page may take from the network before the kept copy serves.
const PATIENCE_MS = 4000;

self.addEventListener("install", (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      // Past the browser's HTTP cache, which may still hold the last release.
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(names.filter((n) => n.startsWith(SITE) && n !== CACHE).map((n) => caches.delete(n))),
      )
      .then(() => self.clients.claim()),
  );
});

const kept = (request) =>
  caches.open(CACHE).then((cache) => cache.match(request, { ignoreSearch: true }));

self.addEventListener("fetch", (event) => {
  const { request } = event;
  if (request.method !== "GET") return;
  if (request.mode !== "navigate") {
    event.respondWith(kept(request).then((response) => response || fetch(request)));
    return;
  }
  // The page: asked of the server again (a 304 costs little), kept when it
  // comes; the kept copy when the network fails or is too slow.
  const fresh = fetch(request.url, { cache: "no-cache", credentials: "same-origin" }).then(async (response) => {
    if (response.ok) {
      const key = new URL(request.url);
      key.search = "";
      await (await caches.open(CACHE)).put(key.href, response.clone());
    }
    return response;
  });
  const slow = new Promise((resolve) => setTimeout(resolve, PATIENCE_MS)).then(() => kept(request));
  event.respondWith(
    Promise.race([fresh, slow.then((response) => response || fresh)]).catch(() =>
      kept(request).then((response) => response || Response.error()),
    ),
  );
});
