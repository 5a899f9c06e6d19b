// form.mjs: the controls of a page's form as a browser reads them, and the fields a
// browser submits for them, so that tests build their requests from the page the
// program serves.

const Entities = { '&quot;': '"', '&lt;': '<', '&gt;': '>', '&amp;': '&' };

function unescapeHtml(text) {
  return text.replace(/&(?:quot|lt|gt|amp);/g, (entity) => Entities[entity]);
}

// The attributes of a tag's text: name (lower case) -> value ('' for a bare one).
function tagAttributes(text) {
  const attributes = {};
  for (const [, name, quoted, bare] of text.matchAll(/([\w-]+)(?:\s*=\s*(?:"([^"]*)"|([^\s"'>]+)))?/g)) {
    attributes[name.toLowerCase()] = quoted !== undefined ? unescapeHtml(quoted) : bare ?? '';
  }
  return attributes;
}

// The named controls of the page's first form, in page order, each
// { kind, name, value, checked, maxLength }; kind is the input's type or 'textarea'.
// Unnamed controls (the submit button) are left out: a browser sends nothing for them.
export function formControls(page) {
  const form = /<form\b[^>]*>([\s\S]*?)<\/form>/i.exec(page);
  if (!form) throw new Error('the page has no form');
  const controls = [];
  for (const [, areaTag, areaText, inputTag] of
    form[1].matchAll(/<textarea\b([^>]*)>([\s\S]*?)<\/textarea>|<input\b([^>]*)>/gi)) {
    const attributes = tagAttributes(areaTag ?? inputTag);
    if (attributes.name === undefined) continue;
    const maxLength = attributes.maxlength !== undefined ? Number(attributes.maxlength) : undefined;
    if (areaTag !== undefined) {
      // A browser drops one line end right after the start tag.
      const value = unescapeHtml(areaText).replace(/^\r?\n/, '');
      controls.push({ kind: 'textarea', name: attributes.name, value, checked: false, maxLength });
    } else {
      controls.push({
        kind: (attributes.type ?? 'text').toLowerCase(), name: attributes.name,
        value: attributes.value ?? '', checked: attributes.checked !== undefined, maxLength,
      });
    }
  }
  return controls;
}

// The [name, value] pairs a browser submits for the controls: text and hidden fields
// as they are, ticked checkboxes only, text areas with CR LF line ends, and the
// password typed into each password field.
export function submittedFields(controls, password) {
  const fields = [];
  for (const { kind, name, value, checked } of controls) {
    if (kind === 'checkbox') {
      if (checked) fields.push([name, value || 'on']);
    } else if (kind === 'password') {
      fields.push([name, password]);
    } else if (kind === 'textarea') {
      fields.push([name, value.replace(/\r?\n/g, '\r\n')]);
    } else {
      fields.push([name, value]);
    }
  }
  return fields;
}
