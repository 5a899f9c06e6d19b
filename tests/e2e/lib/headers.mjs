// headers.mjs: the headers that every server configuration (the package's for
// each server, and the demo site's) gives the program's answers, and the
// package's also its pages.
import assert from 'node:assert/strict';

// Name (as Node gives it, in lower case) and value, each header sent once:
// Node joins a repeated one into one value, which then differs.
export const protectiveHeaders = {
  'cache-control': 'no-store',
  'x-frame-options': 'DENY',
  'content-security-policy': "frame-ancestors 'none'",
  'referrer-policy': 'no-referrer',
  'x-content-type-options': 'nosniff',
};

// A client that takes compressed answers, as browsers are.
export const acceptsGzip = { 'accept-encoding': 'gzip, deflate' };

// Over HTTPS, and only there: a browser that has seen the answer comes back
// over HTTPS only, for a year.
export const httpsOnlyHeader = { 'strict-transport-security': 'max-age=31536000' };

// An answer as served with the protective headers, and with HSTS exactly when
// it came over HTTPS.
export function assertProtectiveHeaders(answer, what) {
  for (const [name, value] of Object.entries(protectiveHeaders))
    assert.equal(answer.headers[name], value, `${what}: ${name}`);
  for (const [name, value] of Object.entries(httpsOnlyHeader))
    assert.equal(answer.headers[name], answer.tls ? value : undefined, `${what}: ${name}`);
}

// An answer of the program as served: the protective headers, and no
// compression whatever the client accepts.
export function assertProtected(answer, what) {
  assertProtectiveHeaders(answer, what);
  assert.equal(answer.headers['content-encoding'], undefined, `${what}: content-encoding`);
}

// The protective headers and the content encoding of an answer as sent, as
// lines "Name: value", for a report.
export function protectiveHeaderLines(answer) {
  const names = new Set([...Object.keys(protectiveHeaders), ...Object.keys(httpsOnlyHeader), 'content-encoding']);
  const lines = [];
  for (let i = 0; i < answer.rawHeaders.length; i += 2) {
    if (names.has(answer.rawHeaders[i].toLowerCase())) lines.push(`${answer.rawHeaders[i]}: ${answer.rawHeaders[i + 1]}`);
  }
  return lines;
}
