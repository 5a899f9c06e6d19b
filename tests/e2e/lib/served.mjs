// served.mjs: a request to the program through the web server, compared with
// the same request given to the program alone.
import assert from 'node:assert/strict';

import { acceptsGzip, assertProtected } from './headers.mjs';
import { httpRequest, iniPathOf, readIni, runProgramAlone } from './site.mjs';

// The page with what differs between two databases alike masked: the sign-in a
// form carries (made under each database's own random key) and the name of the
// version a save kept (its time and who made it).
export function comparable(page) {
  return page.replace(/(name="signin" value=")[^"]*"/g, '$1(sign-in)"')
    .replace(/(name="restore" value=")[^"]*"/g, '$1(kept version)"');
}

// Sends the request through the server, from a client that takes compressed
// answers, and to the program alone on a copy of the database dbName as it is
// now. The server must deliver the program's page unchanged (its CGI header
// made the HTTP content type; 200 whatever the program's exit status),
// uncompressed and with the protective headers, and leave the database's file
// as the program alone leaves its copy (the pages compared but for what
// comparable masks). Returns both answers.
export async function servedAsAlone(request, dbName) {
  const alone = runProgramAlone({ ...request, dbName, ini: readIni(iniPathOf(dbName)) });
  const served = await httpRequest({ ...request, headers: acceptsGzip });
  assert.equal(alone.header, 'Content-type: text/html');
  assert.equal(served.status, 200);
  assert.equal(served.contentType, 'text/html');
  assertProtected(served, `${request.method ?? 'GET'} ${request.query ?? request.body ?? ''}`);
  assert.equal(comparable(served.body), comparable(alone.body));
  assert.equal(readIni(iniPathOf(dbName)), alone.ini);
  return { alone, served };
}
