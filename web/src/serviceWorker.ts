// Keeps the page's files in the browser's cache once it has been loaded, so
// that it opens and runs without a network. The build writes the list of
// files and a version that changes with their content.
//
// A new version waits until no page of the old one is open: an open page
// loads its engine's worker and module later, and must get them from the
// version its own script came from. The next load after every old page is
// closed takes the new version.

declare const pageFiles: string[];
declare const pageVersion: string;

interface FetchEvent extends Event {
  request: Request;
  respondWith(response: Promise<Response>): void;
}

interface ExtendableEvent extends Event {
  waitUntil(work: Promise<unknown>): void;
}

interface ServiceWorkerScope {
  addEventListener(type: "install" | "activate", listener: (event: ExtendableEvent) => void): void;
  addEventListener(type: "fetch", listener: (event: FetchEvent) => void): void;
  registration: { scope: string };
}

const worker = self as unknown as ServiceWorkerScope;
const cacheName = `kesp-page-${pageVersion}`;

worker.addEventListener("install", (event) => {
  event.waitUntil(
    caches
      .open(cacheName)
      .then((cache) => cache.addAll(pageFiles.map((file) => new URL(file, worker.registration.scope).href))),
  );
});

// Active once no page of an older version is open: their caches go.
worker.addEventListener("activate", (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) => Promise.all(names.filter((name) => name.startsWith("kesp-page-") && name !== cacheName).map((name) => caches.delete(name)))),
  );
});

// The page's own files from the cache (the page itself whatever its query),
// anything else from the network.
worker.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== "GET" || !url.href.startsWith(worker.registration.scope)) {
    return;
  }
  const page = url.pathname.endsWith("/") || url.pathname.endsWith("/index.html");
  const key = new URL(page ? "./" : url.pathname, worker.registration.scope).href;
  event.respondWith(caches.match(key, { cacheName }).then((cached) => cached ?? fetch(event.request)));
});
