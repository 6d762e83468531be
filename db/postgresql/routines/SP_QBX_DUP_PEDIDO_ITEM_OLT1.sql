-- How many live items of the order carry the part, leaving out the item being
-- changed; the same answer as the embedded procedure of this name.
CREATE FUNCTION SP_QBX_DUP_PEDIDO_ITEM_OLT1(in_peca numeric, in_pedido numeric, in_item numeric)
    RETURNS TABLE ("Contador" integer) LANGUAGE plpgsql AS $$
DECLARE
    v_peca integer := Infra_Inteiro(in_peca);
    v_pedido integer := Infra_Inteiro(in_pedido);
    v_item integer := Infra_Inteiro(in_item);
BEGIN
    RETURN QUERY
    SELECT COUNT(*)::integer
      FROM PEDIDO_ITEM
     WHERE PECA_ID = v_peca
       AND PEDIDO_ID = v_pedido
       AND (COALESCE(v_item, 0) = 0 OR PEDIDO_ITEM_ID <> v_item)
       AND TAB_STATUS_ID IN (509, 510);
END
$$;
